#!/usr/bin/env bash
# Builds the Debian packages skelder and skelder-tdsim with CPack into
# build-package/packages/, checks them with lintian, and prints their sizes and
# dependencies.
#   scripts/package.sh --try   also installs them with apt into a clean Debian root made
#                              with debootstrap (as root; $SKELDER_TRY_ROOT, default
#                              /var/tmp/skelder-try-root, kept for the next run) and runs
#                              the installed programs there.
set -euo pipefail
cd "$(dirname "$0")/.."
try=false
case "${1:-}" in
  --try) try=true ;;
  "") ;;
  *) echo "usage: $0 [--try]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
tools=(lintian dpkg-dev)
$try && tools+=(debootstrap)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Debian's hardening flags; CMake reads no CPPFLAGS, so they join the compiler flags.
build_dir=${PACKAGE_BUILD_DIR:-build-package}
export CC=${CC:-clang} CXX=${CXX:-clang++}
export CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DSKELDER_BUILD_TESTS=OFF -DSKELDER_DEBIAN_DOCS=ON >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
rm -rf "$build_dir/packages"
(cd "$build_dir" && cpack -G DEB >/dev/null)
debs=("$build_dir"/packages/*.deb)

echo
for deb in "${debs[@]}"; do
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
  echo "  Depends: $(dpkg-deb -f "$deb" Depends)"
  suggests=$(dpkg-deb -f "$deb" Suggests)
  [ -z "$suggests" ] || echo "  Suggests: $suggests"
done
echo
echo "lintian:"
lintian --tag-display-limit 0 "${debs[@]}" && echo "  no errors"

if ! $try; then
  exit 0
fi

# A minimal Debian of the same release as this machine, made once and reused; the
# packages go in as a user would put them in.
root=${SKELDER_TRY_ROOT:-/var/tmp/skelder-try-root}
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
mirror=${mirror:-http://deb.debian.org/debian}
if [ ! -x "$root/usr/bin/apt-get" ]; then
  echo
  echo "debootstrap $suite from $mirror into $root"
  rm -rf "$root"
  debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -20 "$root.log" >&2; exit 1; }
fi
mkdir -p "$root/tmp/debs"
rm -f "$root"/tmp/debs/*.deb
cp "${debs[@]}" "$root/tmp/debs/"
mounted=()
cleanup() { for m in "${mounted[@]}"; do umount "$m" || true; done; }
trap cleanup EXIT
for fs in proc sys dev dev/pts; do
  mount --bind "/$fs" "$root/$fs" && mounted=("$root/$fs" "${mounted[@]}")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"

chroot "$root" /bin/bash -euo pipefail -c '
  export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
  cd /tmp/debs
  apt-get update -qq
  echo "apt install in the clean root:"
  apt-get install -y -q ./skelder_*.deb ./skelder-tdsim_*.deb | grep -E "^(The following NEW|  |[0-9]+ upgraded)" || true
  skelder --version
  skelder-cli --version
  tdsim --version
  tdsim --port 0 --init /usr/share/skelder-tdsim/demo.sql >/tmp/tdsim.out 2>/tmp/tdsim.err &
  pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  until grep -qs "^listening on" /tmp/tdsim.out; do sleep 0.1; done
  port=$(sed -n "s/^listening on 127.0.0.1://p" /tmp/tdsim.out)
  mkdir -p /tmp/try/ini
  printf "[TRY]\n host = 127.0.0.1\n port = %s\n tds version = 5.0\n" "$port" >/tmp/try/ini/sql.ini
  echo "skelder-cli --list on the demo databases:"
  SYBASE=/tmp/try skelder-cli -S TRY -U sa -P "" --settings /dev/null --list | cut -f1,2 | sort | uniq -c
  SYBASE=/tmp/try skelder-cli -S TRY -U sa -P "" --settings /dev/null -D demo --triggers --indexes \
    --grants --quiet -o /tmp/demo.sql --trace /tmp/demo.trace
  echo "script: $(wc -l </tmp/demo.sql) lines; trace: $(wc -l </tmp/demo.trace) lines"
  status=0
  QT_QPA_PLATFORM=offscreen timeout 5 skelder >/dev/null 2>/tmp/skelder.err || status=$?
  if [ "$status" -eq 124 ]; then
    echo "skelder ran (offscreen) until stopped after 5 s"
  else
    echo "skelder exited with $status:"; cat /tmp/skelder.err
  fi
  kill $pid; wait $pid || true
  apt-get remove -y -qq skelder skelder-tdsim >/dev/null && echo "removed cleanly"
'
