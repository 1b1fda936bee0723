# Detect-Rolvex.ps1: the Intune detection rule of the service pack's Win32
# app. Intune counts the app as installed when the script ends with 0 and
# writes something to standard output. The installer hands the pack's
# version to [ServicePack] Version of C:\Computer.ini at every run started
# from C:\ServicePacks; the app is installed once that version is at least
# $Wanted. Set $Wanted to the pack's own [ServicePack] Version.
$Wanted = '3.2.0'
$Ini = 'C:\Computer.ini'
if (-not (Test-Path -LiteralPath $Ini)) { exit 1 }

# Read as the profile functions read it: the first [ServicePack] section and
# its first Version key, without regard to case or surrounding blanks.
$section = $null
$version = $null
foreach ($line in Get-Content -LiteralPath $Ini -Encoding Default) {
  $text = $line.Trim()
  if ($text -match '^\[(.*)\]') { $section = $Matches[1].Trim(); continue }
  if ($section -eq 'ServicePack' -and $text -match '^Version\s*=(.*)$') {
    $version = $Matches[1].Trim()
    break
  }
}
if (-not $version) { exit 1 }

# Versions compare by number where they are numbers ("3.10" is after "3.9").
$have = $null; $want = $null
if ([version]::TryParse($version, [ref]$have) -and
    [version]::TryParse($Wanted, [ref]$want)) {
  if ($have -ge $want) { Write-Output "Service pack $version"; exit 0 }
  exit 1
}
if ($version -eq $Wanted) { Write-Output "Service pack $version"; exit 0 }
exit 1
