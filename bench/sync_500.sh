#!/usr/bin/env bash
# How long a sync of 500 events from a CalDAV server takes, and the longest
# gap it makes between the ticks of a timer in the program's thread.
#
#   bench/sync_500.sh build/test/tanzo_sync_bench [EVENTS]
#
# Starts Radicale on 127.0.0.1 with a temporary store, puts EVENTS events
# (default 500) in the seven days from today into one calendar, and runs the
# bench against it; everything is stopped at the end.
set -euo pipefail
bench=${1:?usage: $0 path/to/tanzo_sync_bench [EVENTS]}
events=${2:-500}
source "$(dirname "$0")/radicale_lib.sh" bench/cal/
# Each event its own resource, as a client's PUTs leave them; one process
# and one connection for all of them.
/usr/bin/python3 - "$url" "$events" <<'EOF_PUT'
import base64, datetime, http.client, sys, urllib.parse
url, count = urllib.parse.urlparse(sys.argv[1]), int(sys.argv[2])
conn = http.client.HTTPConnection(url.hostname, url.port)
auth = {"Authorization": "Basic " + base64.b64encode(b"bench:bench").decode(),
        "Content-Type": "text/calendar"}
today = datetime.date.today()
for i in range(count):
    day = (today + datetime.timedelta(days=i % 7)).strftime("%Y%m%d")
    body = ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\n"
            f"UID:bench-{i}\r\nDTSTAMP:20260101T000000Z\r\n"
            f"DTSTART:{day}T{8 + i % 12:02d}{i % 60:02d}00\r\n"
            f"SUMMARY:予定{i}\r\nLOCATION:会議室{i % 10}\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
    conn.request("PUT", f"{url.path}bench-{i}.ics", body.encode(), auth)
    answer = conn.getresponse()
    answer.read()
    if answer.status not in (200, 201, 204):
        sys.exit(f"PUT {i}: {answer.status}")
EOF_PUT
echo "$events events on Radicale $(dpkg-query -W -f='${Version}' radicale 2>/dev/null)"
"$bench" "$url" bench bench
