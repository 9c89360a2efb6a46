#!/usr/bin/env bash
# Fetches the complete source of Debian's HTTP library (source package
# cpp-httplib) for the Windows cross-build of scenario_tool's view. Debian's
# binary package splits the library into a shared object for Linux and a
# header of declarations only; its source holds the whole header-only
# httplib.h, which builds for any system. The source is taken at the version
# of the installed libcpp-httplib-dev when the archive still has it, so that
# both builds serve the view with the same library, Debian's patches applied.
#
# Usage: fetch_httplib_source.sh DEST
#   DEST  the folder to unpack into; when DEST/httplib.h is there already,
#         nothing is fetched. Pass it to CMake as -DHTTPLIB_SOURCE_DIR=DEST.
#
# apt-get reads the system's own package sources, turned into source
# entries, through a private list folder: the system's apt configuration
# and package lists are left as they are, and no root is needed. Needs
# apt-get and dpkg-source (dpkg-dev).
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 DEST" >&2
  exit 2
fi
dest=$(realpath -m "$1")
if [ -f "$dest/httplib.h" ]; then
  exit 0
fi
for program in apt-get dpkg-source; do
  if ! command -v "$program" >/dev/null; then
    echo "fetch_httplib_source.sh: $program not found (apt-get install dpkg-dev)" >&2
    exit 1
  fi
done

mkdir -p "$(dirname "$dest")"
work=$(mktemp -d "$dest.fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
# apt downloads as its own user where it can: it must reach the folder.
chmod 755 "$work"
mkdir -p "$work/sources" "$work/lists/partial" "$work/cache/archives/partial" \
  "$work/unpack"

# Every binary entry of the system's sources, as a source entry.
shopt -s nullglob
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$list" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list" \
    >"$work/sources/$(basename "$list" .list)-src.list"
done
for list in /etc/apt/sources.list.d/*.sources; do
  sed 's/^Types:.*/Types: deb-src/' "$list" >"$work/sources/$(basename "$list")"
done
apt_options=(-o "Dir::Etc::SourceList=/dev/null"
  -o "Dir::Etc::SourceParts=$work/sources"
  -o "Dir::State::Lists=$work/lists"
  -o "Dir::Cache=$work/cache")

# A source of the system that has no source index fails the update but not
# the others: what matters is whether the package is found below.
apt-get "${apt_options[@]}" update >"$work/update.log" 2>&1 || true

package=cpp-httplib
version=$(dpkg-query -W -f='${Version}' libcpp-httplib-dev 2>/dev/null || true)
fetched=false
if [ -n "$version" ] &&
  (cd "$work/unpack" &&
    apt-get "${apt_options[@]}" source "$package=$version") >"$work/source.log" 2>&1; then
  fetched=true
elif (cd "$work/unpack" &&
  apt-get "${apt_options[@]}" source "$package") >"$work/source.log" 2>&1; then
  echo "fetch_httplib_source.sh: cpp-httplib ${version:-(not installed)} is no" \
    "longer in the archive; took its current version" >&2
  fetched=true
fi
if [ "$fetched" != true ]; then
  cat "$work/update.log" "$work/source.log" >&2
  echo "fetch_httplib_source.sh: could not fetch the source of $package" >&2
  exit 1
fi

tree=$(find "$work/unpack" -mindepth 2 -maxdepth 2 -name httplib.h -printf '%h\n')
if [ -z "$tree" ] || [ "$(printf '%s\n' "$tree" | wc -l)" != 1 ]; then
  echo "fetch_httplib_source.sh: no single httplib.h in the unpacked source" >&2
  exit 1
fi
rm -rf "$dest"
mv "$tree" "$dest"
echo "fetch_httplib_source.sh: $(head -n 1 "$dest/debian/changelog" |
  cut -d ' ' -f 1-2) in $dest"
