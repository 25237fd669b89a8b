#!/usr/bin/env bash
# Holds the sources to the layers: every #include "..." in a file under src/ must name a file of
# the file's own unit or of a unit its row below allows, and Qt's headers (<Q...>) and
# OpenCASCADE's (<....hxx>) may be included only where the row names them. Prints each include
# against the arrows and exits 1 if there is one. Runs in a fraction of a second, before any
# build (./test).
#   tools/check-layers.sh [SOURCE_ROOT]    (default: src)
set -euo pipefail

# A unit is a folder under src/; a file belongs to the deepest unit that holds it. From the
# windows down: the window widgets, the window commands, the modelling of a gear's drawing, the
# hobbing simulation, the gear geometry; beside them the designer's report, the CAD application
# and kelvo-cli.
#
# unit                | may include, besides its own files                   | toolkits
readonly LAYERS='
app                   | app/commands modelling hobbing geometry cad cad/viewer report report/qt report/measured | qt
app/commands          | modelling hobbing geometry cad cad/connection          |
modelling             | hobbing geometry cad                                   |
modelling/headless    | modelling hobbing geometry cad cad/occt                |
report                | geometry                                               |
report/qt             | report geometry                                        | qt
report/measured       | report hobbing geometry cad cad/occt                   |
hobbing               | geometry cad                                           |
geometry              |                                                        |
cad                   |                                                        |
cad/occt              | cad                                                    | occt
cad/connection        | cad                                                    |
cad/viewer            | cad cad/occt cad/connection                            | qt occt
cli                   | app/commands modelling/headless hobbing geometry cad cad/occt report report/qt |
'

root=${1:-src}
declare -A may_include toolkits
while IFS='|' read -r unit includes kits; do
  read -r unit <<<"$unit"
  [ -z "$unit" ] && continue
  read -r -a includes <<<"$includes"
  read -r -a kits <<<"$kits"
  may_include[$unit]=" ${includes[*]} "
  toolkits[$unit]=" ${kits[*]} "
done <<<"$LAYERS"

# Sets REPLY to the deepest unit holding the file $1 (a path relative to the source root), or
# to nothing. No subshells: the check stays well under a second.
unit_of() {
  local folder=$1
  REPLY=
  while [[ $folder == */* ]]; do
    folder=${folder%/*}
    if [ -n "${may_include[$folder]+set}" ]; then
      REPLY=$folder
      return
    fi
  done
}

# Sets REPLY to the toolkit an angle-bracket include belongs to, if the layers restrict it.
toolkit_of() {
  case $1 in
    Q[A-Za-z]* | Qt[A-Za-z]*/*) REPLY=qt ;;
    *.hxx) REPLY=occt ;;
    *) REPLY= ;;
  esac
}

against=0
report() {
  echo "$1" >&2
  against=$((against + 1))
}

while IFS= read -r file; do
  unit_of "${file#"$root"/}"
  [ -n "$REPLY" ] || report "$file: no row of the layer table (tools/check-layers.sh) holds this folder"
done < <(find "$root" -name '*.h' -o -name '*.cpp')

while IFS=: read -r file line text; do
  unit_of "${file#"$root"/}"
  unit=$REPLY
  [ -n "$unit" ] || continue # reported above
  if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
    included=${BASH_REMATCH[1]}
    [[ $included == */* ]] || continue # beside the file itself
    unit_of "$included"
    target=$REPLY
    if [ "$target" != "$unit" ] && [[ ${may_include[$unit]} != *" $target "* ]]; then
      report "$file:$line: #include \"$included\": $unit may not include ${target:-a file outside the layers} (only its own files and:${may_include[$unit]% })"
    fi
  elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^\>]+)\> ]]; then
    toolkit_of "${BASH_REMATCH[1]}"
    if [ -n "$REPLY" ] && [[ ${toolkits[$unit]} != *" $REPLY "* ]]; then
      report "$file:$line: #include <${BASH_REMATCH[1]}>: $unit may not use $REPLY"
    fi
  fi
done < <(grep -rn --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include' "$root" | sort -t: -k1,1 -k2,2n)

if [ "$against" -gt 0 ]; then
  echo "check-layers: $against finding(s) against the layers; the arrows are in tools/check-layers.sh" >&2
  exit 1
fi
echo "check-layers: every include of $root follows the layers"
