#!/usr/bin/env bash
# The system service's single-instance lock against a local user outside the
# operators' group: he holds a read lock on every lock file that he can open,
# and makes one under the service's lock name in every folder that he may
# write, before the service starts and again while it runs. The unpacked
# stand-in must start all the same, as root (making its folder itself) and
# as a user of its own in a folder made as the unit's RuntimeDirectory= makes
# it, and an operator must see that it runs.
#
# Needs root. Runs in a mount namespace of its own with an empty /run, so
# that nothing of this machine changes:
#   unshare --mount --propagation private tests/packaging/servicelock.sh ROOT
set -euo pipefail
# The stand-in finds its folder and lock folder by itself, as installed.
unset QVZIZAVURE_LOCK_DIR QVZIZAVURE_HOME
root=$1
standin=$root/usr/libexec/qvzizavure/qvzizavureessor
folder=$root/var/lib/qvzizavure
outsider=65534
service_uid=64990
operators=users # plays the operators' group, as in dbuspolicy.sh
gid=$(getent group "$operators" | cut -d: -f3)

mount -t tmpfs -o mode=0755 tmpfs /run
mkdir -m 1777 /run/lock
# The service user must reach the unpacked folder, which the operators share.
dir=$root
while [ "$dir" != / ]; do
    chmod o+x "$dir"
    dir=$(dirname "$dir")
done
chgrp "$operators" "$folder"
chmod 2770 "$folder"

setpriv --reuid=$outsider --regid=$outsider --clear-groups /usr/bin/python3 - <<'PY' &
import fcntl, os, time
held = {}
while True:
    for top in ('/run', '/tmp', '/var/tmp', '/dev/shm'):
        for folder, _, names in os.walk(top):
            if os.access(folder, os.W_OK):
                names.append('QVZizaVureessor.lock')
            for name in names:
                path = os.path.join(folder, name)
                if path in held:
                    continue
                try:
                    fd = os.open(path, os.O_RDONLY | os.O_CREAT | os.O_NONBLOCK | os.O_NOFOLLOW, 0o644)
                    fcntl.lockf(fd, fcntl.LOCK_SH | fcntl.LOCK_NB)
                    held[path] = fd
                except OSError:
                    pass
    time.sleep(0.05)
PY
outsider_pid=$!
trap 'kill $outsider_pid 2>/dev/null || true' EXIT
sleep 0.5

failed=0
# Starts the stand-in (its arguments: how to run it) and checks it still runs
# a second later, holding its lock.
runs() {
    local what=$1
    shift
    QVZIZAVURE_BUS=system "$@" "$standin" --no-object 2>"$root/standin.err" &
    local pid=$!
    sleep 1
    if ! kill -0 $pid 2>/dev/null; then
        echo "FAIL: the stand-in $what did not start: $(cat "$root/standin.err")"
        failed=1
        return
    fi
    # An operator sees the lock held; the outsider cannot even open it.
    local seen
    seen=$(setpriv --reuid=$outsider --regid=$outsider "--groups=$gid" /usr/bin/python3 -c '
import fcntl, os, struct
fd = os.open("/run/qvzizavure/QVZizaVureessor.lock", os.O_RDONLY)
lock = fcntl.fcntl(fd, fcntl.F_GETLK, struct.pack("hhqqi", fcntl.F_WRLCK, 0, 0, 0, 0))
print("held" if struct.unpack("hhqqi", lock)[0] != fcntl.F_UNLCK else "free")' 2>&1 || true)
    if [ "$seen" != held ]; then
        echo "FAIL: an operator does not see the stand-in $what run: $seen"
        failed=1
    else
        echo "ok: the stand-in $what started despite the outsider's locks; an operator sees it run"
    fi
    if setpriv --reuid=$outsider --regid=$outsider --clear-groups cat /run/qvzizavure/QVZizaVureessor.lock 2>/dev/null; then
        echo "FAIL: a user outside the group can open the service's lock file"
        failed=1
    fi
    kill -TERM $pid
    wait $pid || true
}

runs "as root, making its folder" env
modes=$(stat -c '%a' /run/qvzizavure /run/qvzizavure/QVZizaVureessor.lock | tr '\n' ' ')
if [ "$modes" != "750 640 " ]; then
    echo "FAIL: the service's folder and lock file are $modes, not 750 640"
    failed=1
fi
runs "as root, again" env
# As the unit runs it: its own user in the operators' group, in the folder
# that RuntimeDirectory= and RuntimeDirectoryMode= make, with what the unit's
# NoNewPrivileges=, ProtectProc=invisible, ProcSubset=pid and
# MemoryDenyWriteExecute= (the prctl PR_SET_MDWE) leave it.
rm -rf /run/qvzizavure
install -d -m 0750 -o $service_uid -g "$operators" /run/qvzizavure
mount -t proc -o subset=pid,hidepid=invisible proc /proc
sleep 0.5
runs "as its own user" setpriv --reuid=$service_uid --regid="$gid" --clear-groups --no-new-privs \
    /usr/bin/python3 -c 'import ctypes, os, sys
if ctypes.CDLL(None).prctl(65, 1, 0, 0, 0) != 0:
    sys.exit("no PR_SET_MDWE")
os.execv(sys.argv[1], sys.argv[1:])'
exit $failed
