#pragma once

#include <vector>

namespace korva::sim {

// Atomic electrons by J. C. Slater's rules (Phys. Rev. 36 (1930) 57): each
// electron occupies a hydrogen-like orbital r^(n*-1) exp(-Zeff r / n*) of
// effective charge Zeff = Z - s, s the screening by the other electrons.
// Shells fill in Madelung's order (1s 2s 2p 3s 3p 4s 3d ...), which gives
// the ground configurations of the program's emitters (H, C, P, S, Ni, Pm)
// exactly; atoms the rule gets wrong (Cr, Cu, ...) are not among them.
// Atoms up to radon (Z = 86).
//
// Slater's groups are (1s) (2s,2p) (3s,3p) (3d) (4s,4p) (4d) (4f) (5s,5p)
// ... An electron is screened by 0.35 for every other electron of its group
// (0.30 in 1s), none for the groups after it; an s or p electron of shell n
// by 0.85 for each electron of shell n - 1 and 1.00 for each deeper one; a d
// or f electron by 1.00 for every electron of the groups before its own.
// The effective principal numbers n* are 1, 2, 3, 3.7, 4.0, 4.2.

// One of Slater's groups of an atom or ion: `electrons` electrons of shell
// `n` and kind `l` (0 for the s,p group, 2 for d, 3 for f), each in the
// orbital r^(nStar-1) exp(-zeff r / nStar) (r in bohr radii).
struct SlaterGroup {
  int n = 1;
  int l = 0;
  int electrons = 0;
  double nStar = 1.0;
  double zeff = 1.0;
};

// The groups of `electrons` electrons around a nucleus of charge `nuclearZ`
// (an ion when the two differ), in the order they fill.
std::vector<SlaterGroup> SlaterGroups(int nuclearZ, int electrons);

// The effective charge of a 1s electron of a nucleus of charge `nuclearZ`
// holding `electrons` electrons: Z when alone in 1s, Z - 0.30 with a partner.
double KShellCharge(int nuclearZ, int electrons);

// The electrons' potential energy shift at the nucleus of the neutral atom
// of atomic number `atomZ`, in electron masses: sum over electrons of
// <1/r> = Zeff / n*^2 hartree, the hartree being alpha^2 m c^2. Hydrogen's
// is exactly one hartree, 27.2 eV; carbon's 14.65 hartree, 399 eV.
double PotentialAtNucleus(int atomZ);

}  // namespace korva::sim
