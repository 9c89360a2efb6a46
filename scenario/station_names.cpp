#include "scenario/station_names.h"

std::array<station_name, station_count> station_names() {
  // The card's spelling is kept beside the source's rather than derived at run
  // time: the card is a fixed sheet, and its abbreviations ("P.N.") are a
  // typesetter's choice, not a rule the program should guess.
  return {{
      {"CENDRA", "CENDRA"},                        // 1, start terminal
      {"P.C.VADDRO", "P.C.VADDRO"},                // 2, past the long tunnel
      {"VALMORENZA", "VALMORENZA"},                // 3
      {"PRALUSCO", "PRALUSCO"},                    // 4
      {"ORSEDO - CAMPOLINO", "ORSEDO-CAMPOLINO"},  // 5
      {"FONTEVARIA", "FONTEVARIA"},                // 6
      {"SELVACORTA", "SELVACORTA"},                // 7
      {"BRENZOLO - LAVERSO - TRESSO", "BRENZOLO-LAVERSO-TRESSO"},          // 8
      {"CASTELMOSSO", "CASTELMOSSO"},                                      // 9
      {"PIEVEROSSA - MONTECARDO", "PIEVEROSSA-MONTECARDO"},                // 10
      {"FRASSENTO", "FRASSENTO"},                                          // 11
      {"RONCOLEVA", "RONCOLEVA"},                                          // 12
      {"MALGAVERDE", "MALGAVERDE"},                                        // 13
      {"TORNAVALLE", "TORNAVALLE"},                                        // 14
      {"SASSOLIVO", "SASSOLIVO"},                                          // 15
      {"VERZANA - BOSCORIO", "VERZANA-BOSCORIO"},                          // 16
      {"COLDARVENZO", "COLDARVENZO"},                                      // 17
      {"PONTEVISCO", "PONTEVISCO"},                                        // 18
      {"MERLASCO - VIGNARDO - SOTTORIVA", "MERLASCO-VIGNARDO-SOTTORIVA"},  // 19
      {"CAVORNA", "CAVORNA"},                                              // 20
      {"ROCCAFERNA", "ROCCAFERNA"},                                        // 21
      {"SANTALBA", "SANTALBA"},                                            // 22
      {"GELSIO Porta Nord", "GELSIO P.N."},  // 23, end terminal
  }};
}
