#pragma once
// Writing of chart and map images.
#include <string>

class QImage;

// Writes `imagen` as `formato` ("jpeg" with `calidad`, or "png") to a temporary next to `archivo`
// and renames it over the target, creating missing folders: a failure raises naming the file and
// leaves no partial image.
void GuardarImagen(const QImage& imagen, const std::string& archivo, const char* formato, int calidad = 100);
