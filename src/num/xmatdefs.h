#pragma once
// Shared definitions of every unit: the one error type, the plain 0-based dynamic arrays and the
// numeric constants set at start-up.
#include <stdexcept>
#include <string>
#include <vector>

// The system's error: every failure is raised as an Exception carrying the message the user sees.
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& mensaje) : std::runtime_error(mensaje) {}
};

class TVectR;

// Plain dynamic arrays, indexed from 0.
using TDAofNReal = std::vector<double>;
using TDAofNInt = std::vector<int>;
using TDAofI = std::vector<int>;
using TDAOfBoolean = std::vector<bool>;
using TDAOfNRealPtr = std::vector<double*>;
using TMatOfNReal = std::vector<TDAofNReal>;
