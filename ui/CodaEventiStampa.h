#pragma once
// The event-queue printout (report project "repcoda.rep"): the list as the window shows it.
class QString;
class QTableWidget;

// Prints the window's caption as title, the list's column heads, and one line per row of the
// list, in order. A wholly blank row holds no event (the list keeps one when it is empty, and
// after the window is shown again until it is filled) and is not printed.
void StampaCodaEventi(const QString& Titolo, const QTableWidget& CodaEventiGrid);
