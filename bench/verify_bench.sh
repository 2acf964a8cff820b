#!/usr/bin/env bash
# What reading every copy back costs: copy jobs with [OPTION] Verify=1 against the same jobs
# without it, on an ext4 image on the disk (on tmpfs, dropping a file's cached pages does
# nothing, so the copy would be read back from memory). Needs root (loop device, dropping the
# caches) and hyperfine.
#   bash bench/verify_bench.sh build-quick/Fennick [runs]
# Cases: one file of 256 MiB, and 2,000 files of 16 KiB. Each run starts from an empty target
# folder with the page cache dropped, and is timed until its data is on the disk (`sync`), as a
# verified copy flushes each file itself.
set -euo pipefail
exe=$(realpath "$1")
runs=${2:-5}
work=$(mktemp -d /var/tmp/fennick-verify-bench-XXXXXX)
device=
cleanup() {
    umount "$work/mnt" 2>/dev/null || true
    [ -n "$device" ] && losetup --detach "$device"
    rm -rf "$work"
}
trap cleanup EXIT

truncate -s 2G "$work/ext4.img"
mkfs.ext4 -q -F "$work/ext4.img"
device=$(losetup --find --show "$work/ext4.img")
mkdir "$work/mnt"
mount "$device" "$work/mnt"
mnt=$work/mnt

mkdir -p "$mnt/large" "$mnt/small"
head -c $((256 << 20)) /dev/urandom >"$mnt/large/big.bin"
for i in $(seq 1 2000); do head -c 16384 /dev/urandom >"$mnt/small/f$i.bin"; done

# One application folder per setting, each with profile 1 (the large file) and profile 2 (the
# small files), all copied into $mnt/out.
for verify in 0 1; do
    app=$work/app-$verify
    mkdir "$app"
    cp "$exe" "$app/Fennick"
    printf '[OPTION]\r\nVerify=%s\r\n' "$verify" >"$app/_Fennick.ini"
    printf '%s,%s\r\n' "$mnt/out" "$mnt/large/big.bin" >"$app/1copylist.txt"
    for f in "$mnt"/small/*; do printf '%s,%s\r\n' "$mnt/out" "$f"; done >"$app/2copylist.txt"
done

prepare="rm -rf $mnt/out && mkdir $mnt/out && sync && echo 3 > /proc/sys/vm/drop_caches"
for profile in 1 2; do
    case=$([ $profile = 1 ] && echo "one file of 256 MiB" || echo "2,000 files of 16 KiB")
    echo "== $case"
    env -u DISPLAY -u WAYLAND_DISPLAY hyperfine --style basic --runs "$runs" \
        --prepare "$prepare" \
        -n "Verify=0" "$work/app-0/Fennick /c$profile && sync" \
        -n "Verify=1" "$work/app-1/Fennick /c$profile && sync"
done

# That the copy is read back from the device, not from the page cache: the MiB that the loop
# device read during one run of each (the source's data, and with Verify=1 the copy's again).
sectors_read() { awk '{print $3}' "/sys/block/$(basename "$device")/stat"; }
echo "== MiB read from the device during one run (one file of 256 MiB)"
for verify in 0 1; do
    bash -c "$prepare"
    before=$(sectors_read)
    env -u DISPLAY -u WAYLAND_DISPLAY "$work/app-$verify/Fennick" /c1
    echo "Verify=$verify: $(( ($(sectors_read) - before) / 2048 )) MiB"
done
