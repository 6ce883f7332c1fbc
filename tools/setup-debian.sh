#!/usr/bin/env bash
# Installs the Debian 12 packages Aurvend builds with, only those still missing (quick when all are present).
set -euo pipefail
paquetes=(g++ cmake ninja-build pkg-config qt6-base-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev
  libbenchmark-dev fonts-dejavu-core qt6-qpa-plugins)
faltan=()
for p in "${paquetes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || faltan+=("$p")
done
if ((${#faltan[@]})); then
  echo "Instalando paquetes: ${faltan[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${faltan[@]}"
fi
