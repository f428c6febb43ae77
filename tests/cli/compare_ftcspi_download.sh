#!/usr/bin/env bash
# For scripts/test-windows: the same download on both sides of its demo comparison. Linux
# chromix writes to the demo's simulated processor; chromix.exe under Wine goes through the
# fake FTCSPI.dll beside it, loaded as the real library is, into the Windows demo's flash
# image. The flash images stay in the demos for the byte-for-byte comparison that follows;
# the download records name each side's own paths, so they are compared here with the demo
# folders and separators set aside, and moved out of the demos.
#   tests/cli/compare_ftcspi_download.sh LINUX_CHROMIX LINUX_DEMO WINDOWS_BUILD WINDOWS_DEMO DOS_DEMO WORK
set -euo pipefail
linux_chromix=$1 linux_demo=$2 windows_build=$3 windows_demo=$4 dos_demo=$5 work=$6
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
choice=(--table-set 'Velvane Orlam LED Projector\Cinema' --3d-tables --calibration-values --primary new --linearity new)

env -u CHROMIX_SPI_ADAPTER CHROMIX_REGISTRY="$linux_demo/registry.reg" "$linux_chromix" download "${choice[@]}" \
  >"$work/linux-download.txt"

program=$work/ftcspi-program
rm -rf "$program"
mkdir -p "$program"
cp "$windows_build/cli/chromix.exe" "$windows_build/fake_ftcspi/FTCSPI.dll" "$program/"
CHROMIX_SPI_ADAPTER=ftdi CHROMIX_FAKE_FTCSPI_IMAGE="$dos_demo\\processor_flash.bin" \
  "$wine64" "$program/chromix.exe" download "${choice[@]}" | tr -d '\r' >"$work/windows-download.txt"
for expected in 'Adapter: FTDI USB-to-SPI adapter through FTCSPI.dll' 'Flash download completed successfully'; do
  if ! grep -qx "$expected" "$work/windows-download.txt"; then
    echo "compare_ftcspi_download: chromix.exe download did not say \"$expected\"" >&2
    exit 1
  fi
done

record=Diagnostics/download_parameters.txt
mv "$linux_demo/$record" "$work/linux-download_parameters.txt"
mv "$windows_demo/$record" "$work/windows-download_parameters.txt"
dos_pattern=$(printf '%s' "$dos_demo" | sed 's|\\|\\\\|g')
if ! diff <(sed -e "s|$linux_demo|DEMO|g" "$work/linux-download_parameters.txt") \
  <(sed -e "s|$dos_pattern|DEMO|g" -e 's|\\|/|g' "$work/windows-download_parameters.txt"); then
  echo "compare_ftcspi_download: the download records differ beyond their demo folders" >&2
  exit 1
fi
