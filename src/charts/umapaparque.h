#pragma once
// Farm map: the wind over the farm after the last computation of the theoretical model, drawn as a
// colour map (4 to 10 m/s) under a colour bar, with the meteorological station marked "(A)", and the
// texts and picture that the map's pointer handlers show.
//
// Invariant: every routine reads the grid and turbine results left by the last computation and
// never recomputes; drawing refits the model's map viewport to the canvas size.
#include <string>

class QPainter;
class QImage;
class TParque_ModeloTeorico;
class TMolino;

// Rows at the top of the map reserved for the colour bar.
constexpr int ALTO_BARRA_COLORES = 30;

// Paints the map on a canvas of W × H pixels: fits the viewport (0, 30, W, H), fills white, draws
// the colour bar with its ticks and texts, the wind field per pixel and "(A)" at the station.
void VelocidadesMT_To_PB(QPainter& canvas, TParque_ModeloTeorico& parque, int W, int H);
// Only the wind field: pixels (c, r), r ≥ 30, of a W × H ARGB32/RGB32 image; outside the grid white.
void PintarCampoViento(QImage& imagen, TParque_ModeloTeorico& parque);
// The map as a W × H image.
QImage ImagenMapaParque(TParque_ModeloTeorico& parque, int W, int H);
// Writes the map as PNG or JPEG (by the extension; JPEG at quality 100); raises Exception naming the
// file when it cannot be written.
void GuardarMapaParque(TParque_ModeloTeorico& parque, int W, int H, const std::string& archivo);

// Image format of a map file by its extension: "png" for .png, "jpeg" for .jpg and .jpeg (any case);
// raises Exception naming the file otherwise.
std::string FormatoImagenMapa(const std::string& archivo);

// Text of eCoordenadasXY for the pointer at (X, Y): "x: " + x + ", y: " + y.
std::string TextoCoordenadasXY(const TParque_ModeloTeorico& parque, int X, int Y);
// Text of eMolino for the pointer at (X, Y): "v: " + speed + ", P:" + power of the nearest turbine
// (fixed, 1 decimal); false, text untouched, when no turbine is within three rotor diameters.
bool TextoMolino(const TParque_ModeloTeorico& parque, int X, int Y, std::string& texto);
// Picture of a turbine's surroundings (one diameter west to fifteen east, six north and south),
// copied out of the map image and stretched into a bitmap of (c2 − c1 + 1) × (r2 − r1 + 1) pixels.
QImage ImagenEntornoMolino(const QImage& mapa, const TParque_ModeloTeorico& parque, const TMolino& molino);
