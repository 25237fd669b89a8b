#!/usr/bin/env bash
# The layer check of ./test, on a made-up source tree: the includes the arrows allow pass, and
# each kind of include against them is reported with its file and line, and fails the check.
#   check_layers_test.sh CHECK_LAYERS
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
src=$tree/src

add() { # add FILE LINES...: a source file of the made-up tree
  mkdir -p "$(dirname "$src/$1")"
  printf '%s\n' "${@:2}" >"$src/$1"
}

# What the arrows allow: down the layers, the abstract CAD interface, files beside the file,
# the standard library, Qt in the window and OpenCASCADE in its implementation.
add app/main_form.cpp '#include <QWidget>' '#include "app/commands/calculate_command.h"'
add app/commands/generate_command.cpp '#include "modelling/build_gear_drawing.h"' \
  '#include "cad/connection/connect_cad.h"'
add modelling/build_gear_drawing.cpp '#include "hobbing/hob_gear.h"' '#include <vector>'
add hobbing/hob_gear.cpp '#include "cad/cad_application.h"' '#include "geometry/gear_constants.h"' \
  '#include "hob_plan.h"'
add cad/occt/occt_solid.cpp '#include <BRepAlgoAPI_Cut.hxx>' '#include "cad/cad_application.h"'
if ! "$check" "$src" >"$tree/out" 2>&1; then
  echo "FAILED: includes along the arrows were refused:" >&2
  cat "$tree/out" >&2
  exit 1
fi

# Against them: a layer including the one above it, the modelling reaching past the abstract
# CAD interface, the geometry using Qt, the hobbing OpenCASCADE, and a folder no row holds.
add modelling/shortfall_texts.cpp '#include <string>' '#include "app/commands/text_rules.h"'
add modelling/build_gear_drawing.cpp '#include "hobbing/hob_gear.h"' \
  '#include "cad/occt/occt_document.h"'
add geometry/involute.h '#pragma once' '  #  include <QtMath>'
add hobbing/rack_cutter.cpp '#include <gp_Pnt.hxx>'
add reports/report.cpp '#include "geometry/gear_pair_data.h"'
expected="$src/geometry/involute.h:2: #include <QtMath>: geometry may not use qt
$src/hobbing/rack_cutter.cpp:1: #include <gp_Pnt.hxx>: hobbing may not use occt
$src/modelling/build_gear_drawing.cpp:2: #include \"cad/occt/occt_document.h\": modelling may not include cad/occt (only its own files and: hobbing geometry cad)
$src/modelling/shortfall_texts.cpp:2: #include \"app/commands/text_rules.h\": modelling may not include app/commands (only its own files and: hobbing geometry cad)
$src/reports/report.cpp: no row of the layer table (tools/check-layers.sh) holds this folder
check-layers: 5 finding(s) against the layers; the arrows are in tools/check-layers.sh"
status=0
"$check" "$src" >"$tree/out" 2>&1 || status=$?
found=$(sort "$tree/out")
if [ "$status" -ne 1 ] || [ "$found" != "$(sort <<<"$expected")" ]; then
  echo "FAILED: exit status $status, and instead of" >&2
  echo "$expected" >&2
  echo "the check printed" >&2
  echo "$found" >&2
  exit 1
fi
echo "the layer check passes what the arrows allow and reports the five against them"
