#include "num/MatEnt.h"

#include <iostream>
#include <string>

#include "num/uauxiliares.h"

void TVectE::Ceros() {
  for (int32_t& x : v_)
    x = 0;
}

void TVectE::print() const {
  std::string s = " TVectE.print.inicio\n";
  for (int i = 1; i <= n(); ++i)
    s += " N: " + EnteroATexto(i, 6) + " : " + EnteroATexto(e(i), 12) + "\n";
  s += " TVectE.print.fin\n";
  std::cout << s << std::flush;
}
