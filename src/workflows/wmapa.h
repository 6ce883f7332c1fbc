#pragma once
// Workflow "farm map": simulates one wind at the station as the main window does and writes the
// map of the resulting wind field as an image.
#include <string>

#include "workflows/wmodeloteorico.h"

// Ancho and alto of the window's map boxes.
constexpr int ANCHO_MAPA_VENTANA = 978;
constexpr int ALTO_MAPA_VENTANA = 616;

// Simulates wind speed v (m/s) from direction dir (degrees) on the farm and writes its map of
// ancho × alto pixels to archivoImagen (PNG or JPEG by the extension). Returns the simulation.
TResultadoSimulacionMT SimularYGuardarMapaMT(TParque_ModeloTeorico& parque, double dir, double v,
                                             const std::string& archivoImagen, int ancho = ANCHO_MAPA_VENTANA,
                                             int alto = ALTO_MAPA_VENTANA);
