#!/usr/bin/env bash
# Tries the README's set-up as a new user would, on a fresh Debian 12: a
# debootstrap'd minimal root with nothing but git added, a clone of this
# checkout's HEAD (commit first), then ./run.sh until the window is up
# offscreen and still up some seconds later; with --tests, ./test.sh after it.
#
#   scripts/fresh-machine-check.sh [--tests]      (as root)
#
# Packages come from the Debian mirror this machine's apt reads. The root is
# kept as a tarball in ${XDG_CACHE_HOME:-~/.cache}/sheetwright and made again
# when older than a month. SHEETWRIGHT_UP_SECONDS (default 20) is how long the
# window must stay up; SHEETWRIGHT_START_MINUTES (default 60) how long ./run.sh
# may take to bring it up.
set -euo pipefail
self=$(realpath "${BASH_SOURCE[0]}")
cd "$(dirname "$self")/.."

suite=bookworm
cache="${XDG_CACHE_HOME:-$HOME/.cache}/sheetwright"
tarball="$cache/$suite-minbase-git.tar"
up_seconds="${SHEETWRIGHT_UP_SECONDS:-20}"
start_minutes="${SHEETWRIGHT_START_MINUTES:-60}"
window=/root/sheetwright/build/src/app/Sheetwright

say() { echo "fresh-machine-check: $*" >&2; }
fail() {
    say "FAILED: $*"
    exit 1
}

# Debian's package lines this machine's apt uses for the suite (main archive,
# updates, security), as sources.list lines.
debian_sources() {
    # $(FIELD) is apt's own placeholder, not the shell's.
    # shellcheck disable=SC2016
    apt-get indextargets --format 'deb $(REPO_URI) $(RELEASE) $(COMPONENT)' \
        'Identifier: Packages' 'Origin: Debian' | grep -E " $suite(-[a-z]+)? " | sort -u
}

# The mirror of the suite's main archive, e.g. http://<mirror>/debian/.
debian_mirror() {
    debian_sources | awk -v suite="$suite" '$3 == suite { print $2; exit }'
}

# A cached tarball of the minimal root with git, made again when stale.
cached_root() {
    if [[ -f "$tarball" && -n $(find "$tarball" -mtime -30) ]]; then
        return
    fi
    local mirror seed
    mirror=$(debian_mirror)
    [[ -n "$mirror" ]] || fail "apt has no Debian $suite archive configured (apt-get indextargets)"
    say "making a minimal $suite root from $mirror"
    seed=$(mktemp -d)
    debootstrap --variant=minbase --include=git "$suite" "$seed" "$mirror" >"$seed.log" 2>&1 ||
        fail "debootstrap (log: $seed.log)"
    mkdir -p "$cache"
    tar -C "$seed" --numeric-owner -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
    rm -rf --one-file-system "$seed" "$seed.log"
}

# Unpacks the root into $1 and gives it this machine's name service and
# package lines, and the project as a bundle of HEAD to clone from.
prepare_root() {
    local root="$1"
    tar -C "$root" --numeric-owner -xpf "$tarball"
    chmod 755 "$root" # as / is (not mktemp's 700): apt's _apt user reads below it
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    debian_sources >"$root/etc/apt/sources.list"
    git bundle create -q "$root/tmp/sheetwright.bundle" HEAD
}

# A clean environment, as a login of root on the fresh machine has; the
# variables a command needs besides go between it and the command.
clean_env=(/usr/bin/env -i HOME=/root TERM=dumb
           PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)

in_root() {
    local root="$1"
    shift
    chroot "$root" "${clean_env[@]}" "$@"
}

# The executable of process $1, seen from outside the root; empty once it has
# ended (a zombie has none either).
executable_of() { readlink "/proc/$1/exe" 2>/dev/null || true; }

show_log_and_fail() {
    tail -n 30 "$1" >&2
    fail "$2"
}

# Starts ./run.sh in the root and waits until it has become the window, then
# checks that the window is still up $up_seconds later with Qt's offscreen
# platform loaded, and closes it.
check_window() {
    local root="$1" log="$cache/run.log" pid started exe
    say "./run.sh (log: $log)"
    started=$SECONDS
    # chroot directly, not through in_root, so that $! is the window itself.
    chroot "$root" "${clean_env[@]}" QT_QPA_PLATFORM=offscreen \
        /bin/bash -c 'cd /root/sheetwright && exec ./run.sh' >"$log" 2>&1 &
    pid=$!
    # run.sh installs, builds and then execs the window in the same process.
    while exe=$(executable_of "$pid") && [[ "$exe" != "$root$window" ]]; do
        [[ -n "$exe" ]] || show_log_and_fail "$log" "./run.sh ended before the window was up"
        ((SECONDS - started < start_minutes * 60)) ||
            show_log_and_fail "$log" "no window after $start_minutes minutes"
        sleep 2
    done
    say "window started after $((SECONDS - started)) s; watching it for $up_seconds s"
    sleep "$up_seconds"
    [[ $(executable_of "$pid") == "$root$window" ]] || show_log_and_fail "$log" "the window did not stay up"
    grep -q libqoffscreen "/proc/$pid/maps" || fail "the window has no Qt platform (offscreen) loaded"
    kill "$pid"
    wait "$pid" || true
    say "window up and stayed up: passed"
}

check_tests() {
    local root="$1" started=$SECONDS
    say "./test.sh (log: $cache/test.log)"
    in_root "$root" /bin/bash -c 'cd /root/sheetwright && ./test.sh' >"$cache/test.log" 2>&1 ||
        show_log_and_fail "$cache/test.log" "./test.sh"
    say "./test.sh passed in $((SECONDS - started)) s"
}

# Inside a private mount and process namespace: the mounts and every process
# started in the root end with it, whatever way the check ends.
inside() {
    local root="$1" tests="$2"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    in_root "$root" git -c advice.detachedHead=false clone -q /tmp/sheetwright.bundle /root/sheetwright
    check_window "$root"
    [[ "$tests" == --tests ]] && check_tests "$root"
    return 0
}

if [[ "${1:-}" == --inside ]]; then
    inside "$2" "${3:-}"
    exit
fi
[[ "${1:-}" == "" || "${1:-}" == --tests ]] || fail "usage: $0 [--tests]"
[[ $(id -u) -eq 0 ]] || fail "must run as root (debootstrap, chroot, mounts)"
if ! command -v debootstrap >/dev/null; then
    apt-get update -qq && apt-get install -y -qq --no-install-recommends debootstrap
fi

started=$SECONDS
cached_root
root=$(mktemp -d)
# --one-file-system: never into a mount, should one outlive its namespace.
trap 'rm -rf --one-file-system "$root"' EXIT
prepare_root "$root"
unshare --mount --propagation private --pid --fork --mount-proc --kill-child -- \
    "$self" --inside "$root" "${1:-}"
say "passed in $((SECONDS - started)) s"
