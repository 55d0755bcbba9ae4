# Sourced by the scripts that start the program (they set root to the source
# tree): the release build they share, in build/release.

release_dir=$root/build/release
release_program=$release_dir/TavrinConverter/bin/TavrinConverter

# Installs the packages that are missing and builds the given targets.
build_release() {  # target...
  bash "$root/tools/install-deps.sh" &&
    cmake -S "$root" -B "$release_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
    cmake --build "$release_dir" --target "$@"
}
