#pragma once

#include <QStringList>

#include <optional>
#include <span>

class QCommandLineParser;

namespace tanzo {

// The command line's options, each stated once: the parser reads them, the
// help lists them and the messages name them from this table.
enum class Option {
    Help,
    Version,
    List,
    Days,
    Add,
    Importance,
    Import,
    Export,
    Subscribe,
    Calendar,
    Name,
    User,
    PasswordStdin,
    TrustFingerprint,
    Interval,
    Subscriptions,
    Unsubscribe,
    Sync,
    Calendars,
    OwnCalendar
};

struct OptionRow {
    Option option;
    const char* names;               // as the help shows them: "-v, --version"
    const char* valueName = nullptr; // none: the option is a switch
    const char* help = nullptr;
    const char* words = nullptr; // the bare words a switch takes (--add's), for the help
    bool command = false;        // exactly one command is given
    std::optional<Option> refines = std::nullopt;     // given only with that command
    std::optional<Option> alsoRefines = std::nullopt; // or with this one
    bool refinesOwnCalendar = false;                  // or with --own-calendar
};

// Every option, in the order the help lists them.
std::span<const OptionRow> optionTable();

const OptionRow& optionRow(Option option);

// The names the parser knows the option by, without dashes.
QStringList parserNames(Option option);

// The option as messages name it: "--version".
QString longName(Option option);

// True when the argument is one of the option names, as typed.
bool isOptionName(const QString& argument);

// Adds every option to the parser.
void addOptions(QCommandLineParser& parser);

// The help, laid out by display width: a full-width character takes two
// columns, which the toolkit's own help does not allow for.
QString helpText(const QString& program);

} // namespace tanzo
