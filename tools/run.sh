#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
build/tools/make-examples build/examples
exec build/cli/nadelwerk-cli info build/examples/*
