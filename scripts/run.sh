#!/usr/bin/env bash
# Builds the program, lays out the sample installation under build/suite and
# starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/suite/rukamina/rukamina "$@"
