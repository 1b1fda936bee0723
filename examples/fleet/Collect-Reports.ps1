# Collect-Reports.ps1: the run reports of many PCs in one CSV, one row per
# PC, its first failure named. Reads \\PC\C$\ProgramData\Rolvex\report.json
# for each name in pcs.txt.
#
# Windows PowerShell 5.1's ConvertFrom-Json stops at 2 MB of text (a pack of
# some 7,000 files); its JavaScriptSerializer is given no such limit here.
# PowerShell 7 has no limit and reads with ConvertFrom-Json.
param([string]$Pcs = '.\pcs.txt', [string]$Csv = '.\rolvex-rollout.csv')

function Read-Report([string]$File) {
  $text = [System.IO.File]::ReadAllText($File, [System.Text.Encoding]::UTF8)
  if ($PSVersionTable.PSVersion.Major -ge 6) {
    return $text | ConvertFrom-Json -AsHashtable
  }
  Add-Type -AssemblyName System.Web.Extensions
  $json = New-Object System.Web.Script.Serialization.JavaScriptSerializer
  $json.MaxJsonLength = [int]::MaxValue
  $json.RecursionLimit = 100
  return $json.DeserializeObject($text)
}

$rows = foreach ($pc in Get-Content $Pcs) {
  $file = "\\$pc\C$\ProgramData\Rolvex\report.json"
  if (-not (Test-Path -LiteralPath $file)) {
    [pscustomobject]@{ PC = $pc; State = 'no report' }
    continue
  }
  $r = Read-Report $file
  $bad = @($r['entries'] | Where-Object { $_['outcome'] -ne 'ok' })
  $first = if ($bad.Count) { $bad[0] }
  [pscustomobject]@{
    PC              = $pc
    Host            = $r['host']
    State           = $r['state']        # "running": the run did not end
    Preview         = $r['preview']
    ExitStatus      = $r['exit_status']
    RestartRequired = $r['restart_required']
    Version         = $r['service_pack']['version']
    Ended           = $r['ended']
    Changed         = $r['counts']['total']['changed']
    NotOk           = $bad.Count
    FirstFailure    = if ($first) {
      $held = if ($first['held_by']) {
        ' (held by ' + (($first['held_by'] | ForEach-Object { $_['name'] }) -join ', ') + ')'
      }
      "$($first['target']): $($first['error']['number']) $($first['error']['description'])$held ($($first['outcome']))"
    }
  }
}
$rows | Export-Csv -NoTypeInformation -Encoding UTF8 $Csv
