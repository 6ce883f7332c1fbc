#pragma once
// Working folders and file names of the farms.
//
// Invariants:
// - The base folder is the directory named by the environment variable AURVEND_BASE, or
//   $HOME/zorvek/modelado_ro when it is unset or empty; it is looked up on every call, so a process
//   may change it between calls.
// - Farm n lives in <base>/c<n> and its files are named c<n><suffix>; the diagnostics folder is
//   <base>/basura. Folder names are returned without a trailing separator.
// - Every function that returns a folder or a file name creates the folder it names (with its
//   parents) when missing, so a missing working or scratch folder never makes a computation fail.
//   A folder that cannot be created raises Exception "No puedo crear la carpeta: <folder> (<reason>)".
// - Nothing is ever deleted here.
#include <string>

// Suffixes of the farm files.
inline constexpr const char* SUFIJO_MODELO_MT = "_parque_mt.pmt";
inline constexpr const char* SUFIJO_MODELO_MC = ".pmc";
inline constexpr const char* SUFIJO_CALIBRADOR = "_calibrador.clp";
inline constexpr const char* SUFIJO_SERIES10MIN = "_series10min.sas";

// The base folder name, without creating it.
std::string NombreCarpetaBase();
// The base folder, created when missing (start-up calls this once).
std::string CarpetaBase();
// The working folder of farm nid: <base>/c<nid>, created when missing.
std::string CarpetaCentral(int nid);
// <base>/c<nid>/c<nid>_parque_mt.pmt
std::string ArchiModeloMT(int nid);
// <base>/c<nid>/c<nid>.pmc
std::string ArchiModeloMC(int nid);
// <base>/c<nid>/c<nid>_calibrador.clp
std::string ArchiCalibrador(int nid);
// <base>/c<nid>/c<nid><sufijo> (the ten-minute series: sufijo SUFIJO_SERIES10MIN).
std::string ArchiCentral(int nid, const std::string& sufijo);
// <carpeta>/c<nid><sufijo>; creates the farm folder and `carpeta` when missing.
std::string ArchiEnCarpeta(const std::string& carpeta, int nid, const std::string& sufijo);
// The diagnostics folder (calibration snapshots, curve comparison table, S-curve scratch table):
// <base>/basura, created when missing.
std::string CarpetaBasura();
// A report or diagnostics file in a folder: `nombre` may be given as "\name", "/name" or "name"
// (backslashes inside it become "/"); creates `carpeta` when missing. So
// ArchivoEnCarpeta(CarpetaCentral(7), "\\curvas_s_.xlt") is <base>/c7/curvas_s_.xlt.
std::string ArchivoEnCarpeta(const std::string& carpeta, const std::string& nombre);
// Creates a folder and its parents when missing; raises "No puedo crear la carpeta: ..." naming it.
void AsegurarCarpeta(const std::string& carpeta);
