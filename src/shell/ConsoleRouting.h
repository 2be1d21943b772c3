#pragma once

#include "platform/base/ConsoleLog.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <string>

namespace brimlark {

// The program's one log facility. The console lines of the parts without Qt
// go to their layer's category; the messages of the program's own categories
// ("brimlark.*") reach the terminal exactly as written, information on
// standard output and warnings on standard error, as they always have. Qt's
// own messages keep the handler they had.
class ConsoleRouting
{
public:
    // The console sink and the message handler, for the whole process
    // (main, once, first).
    static void install();

    // The console sink: a line of a layer without Qt, into its category.
    static void route(ConsoleLog::Layer layer, ConsoleLog::Level level, const std::string &line);

    // Writes a message of one of the program's categories, with a line feed,
    // to `out` (debug and information) or `err` (the rest). False, with
    // nothing written, for any other category.
    static bool print(
        QtMsgType type, const char *category, const QString &message, std::FILE *out, std::FILE *err);
};

} // namespace brimlark
