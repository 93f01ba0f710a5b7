#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user meets it: lintian, the desktop
# entry and the metainfo validated, installed with apt-get, started under Xvfb as a
# user of its own with a fresh home (the user's folder, Data.mdb and today's backup
# appear, the main window shows), started again from the desktop entry's command
# (nothing overwritten, no second backup of the day), removed (the user's folder stays).
# Runs as root on a machine it may change: CI.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "package-check.sh installs the package: run it as root" >&2; exit 2; }
./setup-deps.sh package-check
step() { echo "== $* (${SECONDS}s)"; }
fail() { echo "package-check: $*" >&2; exit 1; }

step "building the package"
deb="$PWD/$(tools/package.sh | tail -n 1)"
step "lintian $(basename "$deb")"
lintian --fail-on error "$deb"

step "installing"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
app_id=org.example.velmora_budget
desktop-file-validate "/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"

user=velmora-ci
id "$user" >/dev/null 2>&1 || useradd --no-create-home --shell /bin/sh "$user"
home=$(mktemp -d /tmp/velmora-home.XXXXXX)
chown "$user:" "$home"
folder=$home/.local/share/velmora-budget
backup=$folder/backups/Data-$(date +%F).mdb
shots=$PWD/build-package/screenshots
mkdir -p "$shots"

# Starts a command as the user on a display of its own, waits for the main window to be
# shown, photographs the screen and ends the program.
cat >"$home/start.sh" <<'INNER'
"$@" >"$HOME/run.log" 2>&1 &
pid=$!
for _ in $(seq 1 240); do
    kill -0 "$pid" 2>/dev/null || { cat "$HOME/run.log"; echo "the program ended" >&2; exit 1; }
    for w in $(xwininfo -root -tree | awk '/"Velmora Budget V/ { print $1 }'); do
        if xwininfo -id "$w" | grep -q IsViewable; then
            sleep 2 # the first paint
            import -window root "$HOME/shot.png"
            kill "$pid"
            cat "$HOME/run.log"
            exit 0
        fi
    done
    sleep 0.5
done
echo "no main window shown" >&2
exit 1
INNER
start() { # the screenshot's name, then the command
    local shot=$1
    shift
    runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        xvfb-run -a -s "-screen 0 1024x768x24" sh "$home/start.sh" "$@"
    cp "$home/shot.png" "$shots/$shot"
    colours=$(convert "$shots/$shot" -format %k info:)
    [ "$colours" -gt 50 ] || fail "the screenshot $shot is blank ($colours colours)"
}

step "first start, velmora-budget"
start first-start.png velmora-budget
[ -f "$folder/Data.mdb" ] && [ ! -L "$folder/Data.mdb" ] || fail "no Data.mdb in $folder"
[ "$(stat -c %U "$folder/Data.mdb")" = "$user" ] || fail "Data.mdb is not the user's"
for f in budget budget.chm res; do
    [ "$(readlink "$folder/$f")" = "/usr/lib/velmora-budget/$f" ] || fail "$folder/$f is no link"
done
[ -f "$backup" ] || fail "no backup $backup"
[ "$(sqlite3 "$backup" 'PRAGMA integrity_check')" = ok ] || fail "the backup is damaged"
runuser -u "$user" -- sqlite3 "$folder/Data.mdb" "insert into Account(name, type) values('CI', 0)"
backup_sum=$(sha256sum <"$backup")

step "second start, the desktop entry's command"
start second-start.png $(sed -n 's/^Exec=//p' "/usr/share/applications/$app_id.desktop")
[ "$(sqlite3 "$folder/Data.mdb" 'select name from Account')" = CI ] || fail "Data.mdb was overwritten"
[ "$(ls "$folder/backups")" = "$(basename "$backup")" ] || fail "backups: $(ls "$folder/backups")"
[ "$(sha256sum <"$backup")" = "$backup_sum" ] || fail "the day's backup was made again"

step "removing"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq velmora-budget >/dev/null
[ ! -e /usr/bin/velmora-budget ] && [ ! -e /usr/lib/velmora-budget ] || fail "files left after removal"
[ -f "$folder/Data.mdb" ] && [ -f "$backup" ] || fail "removing the package touched $folder"
step "done"
