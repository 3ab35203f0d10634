#!/usr/bin/env bash
# How long the own calendar's first sync of 1000 appointments takes, sent
# and received, and the longest gap it makes between the ticks of a timer in
# the program's thread.
#
#   bench/own_calendar_1000.sh build/test/tanzo_own_calendar_bench [COUNT]
#
# Starts Radicale on 127.0.0.1 with a temporary store and one empty
# calendar, and runs the bench against it; everything is stopped at the end.
set -euo pipefail
bench=${1:?usage: $0 path/to/tanzo_own_calendar_bench [COUNT]}
count=${2:-1000}
source "$(dirname "$0")/radicale_lib.sh" bench/own/
echo "$count appointments, Radicale $(dpkg-query -W -f='${Version}' radicale 2>/dev/null)"
"$bench" "$url" bench bench "$count"
