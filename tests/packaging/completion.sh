#!/usr/bin/env bash
# The bash completion of qvzctl, sourced into this shell with a stand-in
# qvzctl first on PATH that lists two groups (or fails, when told to) and
# notes the arguments it was called with.
#
#   tests/packaging/completion.sh packaging/bash-completion/qvzctl
set -eo pipefail
completion=$(realpath "$1")

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/bin" "$dir/site/alpha" "$dir/site/beta"
touch "$dir/site/afile"
cat >"$dir/bin/qvzctl" <<'EOF'
#!/usr/bin/env bash
printf '%s\n' "$*" >>"$QVZ_STUB_CALLS"
if [[ -n $QVZ_STUB_FAIL ]]; then
    echo "qvzctl: cannot read the configuration" >&2
    exit 2
fi
printf '1\tZizaVureessGroup:1\tyes\tAVG\t01:00:00\tYesterday\tYesterday = 12/08/2026 00:00:00\t4\n'
printf '2\tZizaVureessGroup:20\tno\tMAX\t1 00:00:00\tToday\tToday = 12/09/2026 00:00:00\t0\n'
[[ -z $QVZ_STUB_NAME ]] || printf '3\t%s\tyes\tMIN\t01:00:00\tNow\tNow\t0\n' "$QVZ_STUB_NAME"
EOF
chmod +x "$dir/bin/qvzctl"
export PATH=$dir/bin:$PATH QVZ_STUB_CALLS=$dir/calls

# Completion runs in an interactive shell, without errexit.
set +e
# shellcheck source=/dev/null
source "$completion"

failures=0
# expect LINE WANT: completing at the end of LINE offers WANT (the replies
# sorted, as bash shows them, and joined by blanks) and writes nothing to
# stderr.
expect()
{
    local line=$1 want=$2 got errors
    COMP_LINE=$line COMP_POINT=${#line} COMPREPLY=()
    _qvzctl 2>"$dir/stderr"
    got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' ')
    errors=$(cat "$dir/stderr")
    if [[ $got != "$want" || -n $errors ]]; then
        echo "FAIL: '$line' offered '$got'; expected '$want'" >&2
        [[ -z $errors ]] || echo "      and wrote to stderr: $errors" >&2
        failures=$((failures + 1))
    fi
}
# called WANT: the stand-in was called once since the last check, with WANT.
called()
{
    local got
    got=$(cat "$QVZ_STUB_CALLS" 2>/dev/null || true)
    rm -f "$QVZ_STUB_CALLS"
    if [[ $got != "$1" ]]; then
        echo "FAIL: qvzctl was called as '$got'; expected '$1'" >&2
        failures=$((failures + 1))
    fi
}

expect "qvzctl st" "status stop-processing"
expect "qvzctl re" "restore resume"
expect "qvzctl restore 3 --" "--group --help"
expect "qvzctl --o" "--output"
expect "qvzctl --output " "json text"
expect "qvzctl --output=j" "json"
expect "qvzctl --output json res" "restore resume"
expect "qvzctl check --" "--help --warn-held"
expect "qvzctl check --warn-held " ""
expect "qvzctl resume --f" "--force"
expect "qvzctl events --f" "--follow"
expect "qvzctl status --f" ""
called ""

expect "qvzctl --folder $dir/site/" "$dir/site/alpha $dir/site/beta"
expect "qvzctl --folder=$dir/site/a" "$dir/site/alpha"
called ""

# Group names, from the folder on the line when there is one. Bash replaces
# only what follows the last colon of the word.
expect "qvzctl show " "ZizaVureessGroup:1 ZizaVureessGroup:20"
called "groups"
expect "qvzctl --folder $dir/site show Z" "ZizaVureessGroup:1 ZizaVureessGroup:20"
called "--folder $dir/site groups"
expect "qvzctl --folder=$dir/site --output json process ZizaVureessGroup:2" "20"
called "--folder $dir/site groups"
expect "qvzctl process ZizaVureessGroup:1 " "ZizaVureessGroup:1 ZizaVureessGroup:20"
called "groups"
expect "qvzctl show ZizaVureessGroup:1 " ""
expect "qvzctl process --all " ""
expect "qvzctl process --a" "--all"
expect "qvzctl restore 3 --group Z" "ZizaVureessGroup:1 ZizaVureessGroup:20"
called "groups"

# A list that cannot be read offers nothing and says nothing.
QVZ_STUB_FAIL=1 expect "qvzctl show " ""
called "groups"

# A name in the shared configuration is offered as it is, never run.
# shellcheck disable=SC2016
QVZ_STUB_NAME='$(touch '"$dir"'/ran)' expect "qvzctl show \$" "\$(touch $dir/ran)"
called "groups"
if [[ -e $dir/ran ]]; then
    echo "FAIL: completing a group name ran a command that the name held" >&2
    failures=$((failures + 1))
fi

if ((failures > 0)); then
    echo "$failures completion checks failed" >&2
    exit 1
fi
echo "The bash completion of qvzctl offers what each place of the line takes"
