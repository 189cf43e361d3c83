#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
build/tools/make-examples build/examples
# Started in the examples folder, so that "&Auswahl" opens there; nothing is
# loaded until a file is chosen or dropped on the window.
cd build/examples
exec ../platform/qt/nadelwerk
