#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop finds
# there: the programs, the desktop entry and icon, and the polkit action of the
# removal helper, each read by the desktop's own validators.
# Usage: check-install.sh <build dir>
set -euo pipefail
build=$1
work=$(mktemp -d)
# polkitd drops to its own account: it must reach the bus and the actions here.
chmod 755 "$work"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

helper="$prefix/libexec/brimlark/brimlark-removal-helper"
policy="$prefix/share/polkit-1/actions/org.brimlark.removal-helper.policy"
desktop="$prefix/share/applications/brimlark.desktop"
for f in "$prefix/bin/brimlark" "$helper"; do
    [ -f "$f" ] && [ -x "$f" ] || fail "$f is not an installed program"
done
# The helper runs as root: nobody but its owner may change it.
mode=$(stat -c %a "$helper")
[ "$mode" = 755 ] || fail "the helper's mode is $mode, not 755"
[ -f "$prefix/share/icons/hicolor/scalable/apps/brimlark.svg" ] || fail "no icon"

desktop-file-validate "$desktop" || fail "desktop-file-validate refused $desktop"
grep -qx 'Name=Brimlark' "$desktop" || fail "the entry is not named Brimlark"
grep -qx 'Icon=brimlark' "$desktop" || fail "the entry does not use the installed icon"

xmllint --noout --dtdvalid /usr/share/polkit-1/policyconfig-1.dtd "$policy" || fail "the polkit action is not valid"
real_helper=$(realpath "$helper")
grep -q "<annotate key=\"org.freedesktop.policykit.exec.path\">$real_helper</annotate>" "$policy" ||
    fail "the polkit action does not name the installed helper $real_helper"

# polkit's own reader: a private system bus and polkitd in a mount namespace
# where the installed action is the only one. Needs root.
if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
    echo "pkaction check skipped: it needs root and mount namespaces" >&2
    exit 0
fi
mkdir "$work/actions"
cp "$policy" "$work/actions/"
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
cat >"$work/pk.sh" <<'INNER'
set -eu
work=$1
# A sandbox that allows namespaces but not mounts cannot run this check.
mount --bind "$work/actions" /usr/share/polkit-1/actions || exit 77
dbus-daemon --config-file="$work/bus.conf" --fork --print-pid >"$work/dbus.pid"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus"
/usr/lib/polkit-1/polkitd --no-debug >"$work/polkitd.log" 2>&1 &
polkitd=$!
status=1
for _ in $(seq 100); do
    if pkaction --action-id org.brimlark.removal-helper --verbose >"$work/pkaction.out" 2>&1; then
        status=0
        break
    fi
    sleep 0.1
done
kill "$polkitd" "$(cat "$work/dbus.pid")" 2>/dev/null || true
exit $status
INNER
status=0
unshare -m --propagation private bash "$work/pk.sh" "$work" || status=$?
if [ "$status" -eq 77 ]; then
    echo "pkaction check skipped: no bind mount in a private namespace here" >&2
    exit 0
elif [ "$status" -ne 0 ]; then
    fail "pkaction did not read the action: $(cat "$work/pkaction.out" "$work/polkitd.log" 2>&1)"
fi
grep -q 'implicit active: *auth_admin_keep' "$work/pkaction.out" || fail "unexpected defaults: $(cat "$work/pkaction.out")"
grep -q "exec.path -> $real_helper" "$work/pkaction.out" || fail "pkaction shows another helper: $(cat "$work/pkaction.out")"
echo "installed tree, desktop entry and polkit action accepted"
