#!/usr/bin/env bash
# make_inventory.sh PREFIX... > inventory.ini
#
# An Ansible inventory for rollout.yml: one host per Linux prefix (a PC's
# drive model, as rolvex uses it), named after the prefix's folder, run on
# this machine (ansible_connection=local). Prefixes whose names repeat are
# numbered, so every host stays one PC.
set -euo pipefail
if (($# == 0)); then
  echo "usage: make_inventory.sh PREFIX..." >&2
  exit 2
fi
declare -A seen=()
echo "[pcs]"
for prefix in "$@"; do
  if [[ ! -d "$prefix/dosdevices" ]]; then
    echo "make_inventory.sh: $prefix is no prefix (no dosdevices folder)" >&2
    exit 2
  fi
  full=$(cd "$prefix" && pwd -P)
  name=$(basename "$full" | tr -c 'A-Za-z0-9_\n-' '_')
  n=${seen[$name]:-0}
  seen[$name]=$((n + 1))
  ((n > 0)) && name="${name}_$n"
  # The path goes in quoted: a blank in it must not end the variable.
  printf '%s rolvex_prefix="%s"\n' "$name" "${full//\"/\\\"}"
done
cat <<'EOF_VARS'

[pcs:vars]
ansible_connection=local
ansible_python_interpreter=/usr/bin/python3
EOF_VARS
