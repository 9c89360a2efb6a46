// The blank slowdown order form and the empty notes document. Both are fixed
// text for the driver; the form is filled in by hand, so its placeholders and
// its wording (including its own spelling and the order of its prescriptions)
// stay exactly as the printed form has them.
#include <cstddef>
#include <string>
#include <vector>

#include "scenario/embedded_scenario.h"

std::vector<std::string> slowdown_form_document() {
  // Cells of 3, 28, 12, 10, 9 and 12 characters, each closed by "|".
  const std::string table_rule =
      " |___|____________________________|____________|__________|_________|"
      "____________|";
  const std::string blank_row =
      " |   |                            |            |          |         |"
      "            |";
  // Room for as many orders as the service could be given by hand.
  constexpr std::size_t blank_rows = 26;

  std::vector<std::string> lines = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________"
      "________________",
      "  Linea  xxxxxx xxxxxxx",
      "",
      "  Si ordina al macchinista del treno xxxxx di effettuare i seguenti "
      "rallentamenti",
      "  _______________________________________________________________"
      "________________",
      " |   |                            |Inizio dopo |          |         |"
      "            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|"
      "Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri |"
      " specifiche |",
      table_rule,
  };
  lines.insert(lines.end(), blank_rows, blank_row);
  const std::vector<std::string> key = {
      table_rule,
      "",
      "              Prescrizioni specifiche",
      " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
      " B - Interessa anche la stazione di.......",
      " D - Rallentamneto N. ... e N. ...  sono contigui",
      " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
      "     i giorni esclusi i seguenti:.........",
  };
  lines.insert(lines.end(), key.begin(), key.end());
  lines.push_back(std::string(end_marker));
  return lines;
}

// The scenario carries no notes; the file is still written, empty, so that a
// notes file from an earlier scenario never survives.
std::vector<std::string> notes_document() { return {std::string(end_marker)}; }
