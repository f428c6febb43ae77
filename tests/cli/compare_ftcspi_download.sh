#!/usr/bin/env bash
# The flash that chromix.exe wrote through the fake FTCSPI.dll (ctest ftcspi_download_process
# in the Windows build) must hold the same bytes as a Linux chromix download of the same demo
# to the simulated processor.
#   tests/cli/compare_ftcspi_download.sh LINUX_BUILD WINDOWS_BUILD
set -euo pipefail
linux_build=$1
windows_flash=$2/tests/cli/ftcspi_download/ftcspi_flash.bin
if [ ! -f "$windows_flash" ]; then
  echo "no $windows_flash: run the Windows build's tests first" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export CHROMIX_REGISTRY=$work/demo/registry.reg
"$linux_build/cli/chromix" demo-install "$work/demo" >/dev/null
CHROMIX_SPI_ADAPTER=sim:$work/linux_flash.bin "$linux_build/cli/chromix" download \
  --table-set 'Velvane Orlam LED Projector\Cinema' --3d-tables --calibration-values >/dev/null
if cmp "$work/linux_flash.bin" "$windows_flash"; then
  echo "chromix.exe through FTCSPI.dll and Linux chromix wrote the same flash"
else
  echo "the flash written through FTCSPI.dll differs from the Linux download's" >&2
  exit 1
fi
