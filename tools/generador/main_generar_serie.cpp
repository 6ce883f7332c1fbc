// aurvend-generar-serie: writes a seeded realistic ten-minute series file.
#include <iostream>
#include <map>
#include <string>

#include "generador/generador_series.h"
#include "num/xmatdefs.h"

int main(int argc, char** argv) {
  std::map<std::string, std::string> o;
  try {
    for (int i = 1; i < argc; ++i) {
      std::string a = argv[i];
      if (a == "--help") {
        std::cout
            << "Uso: aurvend-generar-serie --sas ARCHIVO [--desde aaaa-mm-dd] [--dias 730] [--semilla 1]\n"
               "       [--disp porcentaje|maquinas|pu] [--pmt ARCHIVO]\n";
        return 0;
      }
      static const char* validas[] = {"--sas", "--desde", "--dias", "--semilla", "--disp", "--pmt"};
      bool valida = false;
      for (const char* v : validas)
        valida = valida || a == v;
      if (!valida) throw Exception("Opción desconocida: " + a);
      if (i + 1 >= argc) throw Exception("Falta el valor de la opción " + a);
      o[a.substr(2)] = argv[++i];
    }
    if (!o.count("sas")) throw Exception("Falta la opción obligatoria --sas");
    TParametrosGenerador p = ParametrosDeTextos(o["desde"], o["dias"], o["semilla"], o["disp"], o["pmt"]);
    std::cout << "Generando " << p.nDias * 144 << " muestras diezminutales..." << std::endl;
    TSerieGenerada g = GenerarArchivoSeries(p, o["sas"]);
    std::cout << "archivo: " << o["sas"] << "\n";
    ImprimirResumen(g, std::cout);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}
