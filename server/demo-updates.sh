#!/usr/bin/env bash
# The update demo: publishes the next demo catalogue (content/demo-next),
# serves it with skyrendel-update-server on 127.0.0.1, and starts the program
# with its own settings and data folder (under BUILD/demo-updates, so your
# own Skyrendel data is untouched) and its "UpdateServer" setting pointed at
# that server. Each run starts from the catalogue as built, so there is
# always an update to fetch.
set -eu
build="$(cd "${1:-build}" && pwd)"
demo="$build/demo-updates"
bin="$build/bin"

src="$(cd "$(dirname "$0")/.." && pwd)"

rm -rf "$demo"
mkdir -p "$demo/config/Skyrendel" "$demo/data" "$demo/app/TEMP"

# The program's own install folder, laid out afresh: its first start moves
# the data out of the folder beside the executable, so build/app is not used.
cp "$build/app/skyrendel" "$demo/app/"
"$bin/skyrendel-catalog" build "$src/content/demo" "$demo/app" --photos "$build/demo-photos" > /dev/null
"$bin/skyrendel-sounds" "$demo/app/SOUND" > /dev/null
"$bin/skyrendel-certificate" "$demo/app/skrcert.fdp" > /dev/null
[ -f "$src/content/demo/vendor.dat" ] && cp "$src/content/demo/vendor.dat" "$demo/app/"

# The catalogue the program starts with, then the next one: the server then
# knows which aircraft are new to a client that still has the first.
"$bin/skyrendel-publish" publish "$demo/app" "$demo/publish" > /dev/null
"$bin/skyrendel-publish" publish "$build/demo-next/catalog" "$demo/publish"

"$bin/skyrendel-update-server" --address 127.0.0.1 --port 0 --log "$demo/server.log" "$demo/publish" \
    2> "$demo/server.err" &
server=$!
trap 'kill -TERM $server 2>/dev/null || true; wait $server 2>/dev/null || true' EXIT INT TERM

port=""
for _ in $(seq 1 100); do
  port="$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$demo/server.err" | head -n1)"
  [ -n "$port" ] && break
  kill -0 $server 2>/dev/null || { cat "$demo/server.err" >&2; exit 1; }
  sleep 0.1
done
[ -n "$port" ] || { echo "the update server did not start" >&2; cat "$demo/server.err" >&2; exit 1; }

cat > "$demo/config/Skyrendel/Skyrendel.conf" <<CONF
[SETTINGS]
UpdateServer=http://127.0.0.1:$port
CONF

cat <<TEXT

Update demo: the server at http://127.0.0.1:$port offers a newer catalogue
with five new aircraft (Airbus A321, Boeing 787-9, Airbus A350-900,
Embraer E190, ATR 42-600). In the program, open "Check for Updates" from the
main menu and press the update button: the progress window fetches the new
catalogue and each new aircraft, which then appear in the quiz and in
learning mode. Problem reports go to the same server; list them with
  $bin/skyrendel-update-server reports $demo/publish
Requests are logged in $demo/server.log. Closing the program stops the server.

TEXT

XDG_CONFIG_HOME="$demo/config" XDG_DATA_HOME="$demo/data" "$demo/app/skyrendel"
