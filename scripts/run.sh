#!/usr/bin/env bash
# Builds the program, lays out the sample installation under build/suite and
# starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# The drill ends the program after four failed sounds in a row, as it must in
# class. A machine without any sound card (a build VM) plays to ALSA's null
# device instead, so the program can still be tried there.
if [ -z "${ALSA_CONFIG_PATH:-}" ] && ! grep -qv "no soundcards" /proc/asound/cards 2>/dev/null; then
  printf 'pcm.!default {\n    type null\n}\n' > build/alsa-null.conf
  export ALSA_CONFIG_PATH="$PWD/build/alsa-null.conf"
  echo "No sound card found: sounds go to ALSA's null device."
fi
exec build/suite/rukamina/rukamina "$@"
