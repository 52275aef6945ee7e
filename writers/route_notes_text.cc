// The route notes for the driver, ending with the author credit line.
#include "writers/writers.h"

namespace writers {
namespace {

constexpr std::string_view kLines[] = {
    "           Treno 3291 sul percorso Fiumicino Aeroporto - Roma Termini (Leonardo Express)",
    "",
    " Precisazioni sul percorso:",
    " - Il treno e' un diretto e collega l'aeroporto di Fiumicino con la stazione di Roma Termini.",
    " - Il treno non ferma in nessuna delle stazioni che incontra lungo il percorso.",
    " - In realta` il treno normalmente e' composto da quattro o cinque vetture di tipo X "
    "'revamped', ",
    "   una delle quali è una vettura pilota ed una motrice E 464.",
    "   Il peso reale quindi potrebbe essere diverso da quello impostato.",
    " - Il percorso e' piuttosto tranquillo ed e' facile arrivare in anticipo a Roma Termini.",
    " - C'è un segnale che apre in ritardo dopo Roma Ostiense. Quindi massima attenzione.",
    " - Le impostazioni relative alle velocita' massime ed i segnali sono di pura fantasia.",
    " - I numerosi sottovia che la linea incontra nel percorso sono simulati con gallerie.",
    "   I cartelli indicano il nome della strada sotto cui passano i sottovia. ",
    " - L'orario e' quello reale, il tracciato e' stato ricavato in parte da uno stradario di Roma "
    "ed",
    "   in parte dall'Atlante del Touring Club in scala 1:200000.",
    " - La progressiva chilometrica parte da Roma Termini e quindi da Fiumicino e' a scendere.",
    "",
    "Buon viaggio",
    "",
    "Redazione scenari (scenari@example.org)",
};

}  // namespace

std::span<const std::string_view> route_notes_lines() { return kLines; }

}  // namespace writers
