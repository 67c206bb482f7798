#!/usr/bin/env bash
# The system-bus policy of the service, on a bus of the test's own with the
# system bus's default rules: root and the operators' group may call the
# service's methods, other users may only ask what the object is. The
# operators' group is played by an existing group ("users"), so that the test
# adds no group to the machine. Needs root to call as other users.
set -euo pipefail
policy=$1
standin=$2
[ "$(id -u)" -eq 0 ] || { echo "SKIP: calling as other users needs root"; exit 77; }

dir=$(mktemp -d)
chmod 755 "$dir"
cleanup() { kill "${service:-}" "${bus:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$dir"; }
trap cleanup EXIT

group=users
gid=$(getent group "$group" | cut -d: -f3)
sed "s/group=\"qvzizavure\"/group=\"$group\"/" "$policy" >"$dir/service.conf"
cat >"$dir/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$dir/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
  </policy>
  <include>$dir/service.conf</include>
</busconfig>
CONF
dbus-daemon --config-file="$dir/bus.conf" --nofork --print-address=1 >"$dir/address" &
bus=$!
for _ in $(seq 100); do [ -s "$dir/address" ] && break; sleep 0.1; done
address="unix:path=$dir/bus"

QVZIZAVURE_BUS=system DBUS_SYSTEM_BUS_ADDRESS=$address QVZIZAVURE_HOME=$dir QVZIZAVURE_LOCK_DIR=$dir \
    "$standin" >/dev/null 2>&1 &
service=$!

call() { # who method interface
    local who=$1
    shift
    local run=()
    case $who in
    root) ;;
    other) run=(setpriv --reuid=65534 --regid=65534 --clear-groups) ;;
    operator) run=(setpriv --reuid=65534 --regid=65534 "--groups=$gid") ;;
    esac
    "${run[@]}" /usr/bin/python3 - "$address" "$@" <<'PY'
import sys, dbus
bus = dbus.bus.BusConnection(sys.argv[1])
service = bus.get_object('org.torvane.QVZizaVureessor', '/QVZizaVureCom', introspect=False)
try:
    getattr(service, sys.argv[2])(dbus_interface=sys.argv[3])
    print('allowed')
except dbus.exceptions.DBusException as error:
    print('denied' if error.get_dbus_name().endswith('AccessDenied') else error.get_dbus_name())
PY
}

for _ in $(seq 100); do [ "$(call root Ping org.freedesktop.DBus.Peer)" = allowed ] && break; sleep 0.1; done

failed=0
expect() { # answer who method interface
    local answer
    answer=$(call "$2" "$3" "$4")
    if [ "$answer" = "$1" ]; then
        echo "ok: $2 $3: $answer"
    else
        echo "FAIL: $2 $3: $answer, expected $1"
        failed=1
    fi
}
Contract=org.torvane.IQVZizaVureCom
expect allowed root GetProcessingState $Contract
expect allowed operator GetProcessingState $Contract
expect allowed operator SuspendProcessing $Contract
expect denied other GetProcessingState $Contract
expect denied other StopProcessNow $Contract
expect denied other SuspendProcessing $Contract
expect allowed other Introspect org.freedesktop.DBus.Introspectable
exit $failed
