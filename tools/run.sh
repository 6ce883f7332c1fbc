#!/usr/bin/env bash
# Sets up a Debian 12 machine (as root), builds the release preset and runs the main job on the
# reference farm: a year of generated ten-minute samples, the calibrator (empirical model with its
# reports and charts), the combined model, and the energy not supplied in every restriction period of
# the first two months. Files go to $AURVEND_BASE (default: build/principal), farm 1 in c1/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-debian.sh
cmake --preset release
cmake --build --preset release -j"$(nproc)"
export AURVEND_BASE="${AURVEND_BASE:-$PWD/build/principal}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
cli=build/release/src/cli/aurvend-cli
mkdir -p "$AURVEND_BASE/c1"
sas="$AURVEND_BASE/c1/c1_series10min.sas"
echo "== Serie diezminutal generada: $sas"
"$cli" series generar --sas "$sas" --desde 2016-01-01 --dias 365 --semilla 1
echo "== Modelo teórico, viento del oeste a 9 m/s"
"$cli" mt simular --pmt bench/data/c1_parque_mt.pmt --dir 270 --v 9 | head -3
echo "== Calibrador (modelo empírico, informes y gráficos en $AURVEND_BASE/c1)"
"$cli" calibrador crear --pmt bench/data/c1_parque_mt.pmt --sas "$sas" | tail -2
echo "== Modelo combinado"
"$cli" mc crear --clp "$AURVEND_BASE/c1/c1_calibrador.clp" | tail -1
echo "== Energía no suministrada en las restricciones de enero y febrero"
"$cli" ro procesar --pmc "$AURVEND_BASE/c1/c1.pmc" --sas "$sas" --desde 2016-01-01 --hasta 2016-02-29 \
  --factor 0.98 | grep -E '^(Período|Total|Restricciones|Reporte)'
