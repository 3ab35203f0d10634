#include "CommandLine.h"

#include "CommandChannel.h"
#include "CommandLineOptions.h"
#include "platform/SafeFiles.h"
#include "subscriptions/CertificateTrust.h"
#include "subscriptions/Subscription.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tanzo {
namespace {

ParsedCommandLine failure(const QString& message) {
    ParsedCommandLine p;
    p.status = kStatusBadInput;
    p.err = message;
    return p;
}

std::optional<QDate> parseDate(const QString& text) {
    for (const char* format : {"yyyy-MM-dd", "yyyy/MM/dd", "yyyy-M-d", "yyyy/M/d"}) {
        const QDate d = QDate::fromString(text, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return std::nullopt;
}

std::optional<QTime> parseTime(const QString& text) {
    for (const char* format : {"HH:mm", "H:mm"}) {
        const QTime t = QTime::fromString(text, QLatin1String(format));
        if (t.isValid())
            return t;
    }
    return std::nullopt;
}

ParsedCommandLine accepted(const Command& command) {
    ParsedCommandLine p;
    p.command = command;
    return p;
}

QString joinedNames(const QList<Option>& options) {
    QStringList names;
    for (const Option option : options)
        names << longName(option);
    return names.join(QStringLiteral("、"));
}

// The parser's reading, asked by option.
class GivenOptions {
public:
    explicit GivenOptions(const QCommandLineParser& parser) : m_parser(parser) {}

    bool has(Option option) const { return m_parser.isSet(parserNames(option).last()); }
    QString value(Option option) const { return m_parser.value(parserNames(option).last()); }
    QStringList words() const { return m_parser.positionalArguments(); }

    // Under any of its names.
    qsizetype times(Option option) const {
        const QStringList names = parserNames(option);
        const QStringList given = m_parser.optionNames();
        return std::count_if(given.begin(), given.end(),
                             [&names](const QString& name) { return names.contains(name); });
    }

private:
    const QCommandLineParser& m_parser;
};

// Single-dash words other than -h, -? and -v are mistypings (-list), not
// bundles of one-letter options; "--" ends the options.
std::optional<QString> singleDashMistyping(const QStringList& arguments) {
    for (const QString& a : arguments.mid(1)) {
        if (a == QLatin1String("--"))
            break;
        if (a.startsWith(QLatin1Char('-')) && !a.startsWith(QLatin1String("--")) && a.size() > 1 &&
            !isOptionName(a))
            return QStringLiteral("使えないオプションです: %1（オプションは --list の"
                                  "ように「--」で始めます）")
                .arg(a);
    }
    return std::nullopt;
}

// Unknown options, missing values and options given twice.
std::optional<QString> unreadableOptions(QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return QStringLiteral("使えないオプションです: --%1").arg(unknown.first());
        return parser.errorText();
    }
    const GivenOptions given(parser);
    for (const OptionRow& row : optionTable())
        if (given.times(row.option) > 1)
            return QStringLiteral("%1 が2回以上指定されています。").arg(longName(row.option));
    return std::nullopt;
}

// An option that refines a command, given without it.
std::optional<QString> strayRefinement(const GivenOptions& given, Option command) {
    QList<Option> refinements;
    bool stray = false;
    for (const OptionRow& row : optionTable()) {
        if (row.refines == command) {
            refinements << row.option;
            stray = stray ||
                    (given.has(row.option) && !(row.alsoRefines && given.has(*row.alsoRefines)) &&
                     !(row.refinesOwnCalendar && given.has(Option::OwnCalendar)));
        }
    }
    if (!stray || given.has(command))
        return std::nullopt;
    return QStringLiteral("%1 は %2 と一緒に指定してください。")
        .arg(joinedNames(refinements), longName(command));
}

// Exactly one command, its refinements only with it, and bare words only
// for the command that takes them. The first mistake found is named.
std::optional<QString> misusedOptions(const GivenOptions& given) {
    QList<Option> commands;
    QList<Option> chosen;
    for (const OptionRow& row : optionTable()) {
        if (row.command) {
            commands << row.option;
            if (given.has(row.option))
                chosen << row.option;
        }
    }
    if (chosen.size() != 1)
        return QStringLiteral("%1 のどれか一つを指定してください。").arg(joinedNames(commands));
    if (const auto stray = strayRefinement(given, Option::Subscribe))
        return stray;
    if (!optionRow(chosen.first()).words && !given.words().isEmpty())
        return QStringLiteral("余分な引数があります: %1").arg(given.words().join(QLatin1Char(' ')));
    for (const Option command : {Option::List, Option::Add})
        if (const auto stray = strayRefinement(given, command))
            return stray;
    return std::nullopt;
}

ParsedCommandLine subscriptionCommand(const GivenOptions& given) {
    Command c;
    if (given.has(Option::Unsubscribe)) {
        c.kind = Command::Kind::Unsubscribe;
        c.name = given.value(Option::Unsubscribe);
        return accepted(c);
    }
    if (!given.has(Option::Subscribe) && !given.has(Option::Calendars) &&
        !given.has(Option::OwnCalendar)) {
        c.kind = given.has(Option::Sync) ? Command::Kind::Sync : Command::Kind::Subscriptions;
        return accepted(c);
    }
    const Option command = given.has(Option::Calendars)     ? Option::Calendars
                           : given.has(Option::OwnCalendar) ? Option::OwnCalendar
                                                            : Option::Subscribe;
    c.kind = command == Option::Calendars     ? Command::Kind::Calendars
             : command == Option::OwnCalendar ? Command::Kind::OwnCalendar
                                              : Command::Kind::Subscribe;
    c.address = given.value(command);
    // A relative path is the user's, from here; the board has another
    // working directory.
    if (!c.address.contains(QLatin1String("://")) && QFileInfo(c.address).isFile())
        c.address = QFileInfo(c.address).absoluteFilePath();
    c.name = given.value(Option::Name);
    c.calendar = given.value(Option::Calendar).trimmed();
    c.user = given.value(Option::User);
    if (given.has(Option::Interval)) {
        bool ok = false;
        c.interval = given.value(Option::Interval).toInt(&ok);
        if (!ok || c.interval < kMinRefreshMinutes || c.interval > kMaxRefreshMinutes)
            return failure(QStringLiteral("同期の間隔は%1〜%2分で指定してください: %3")
                               .arg(kMinRefreshMinutes)
                               .arg(kMaxRefreshMinutes)
                               .arg(given.value(Option::Interval)));
    }
    if (given.has(Option::TrustFingerprint)) {
        const auto fingerprint = fingerprintFromText(given.value(Option::TrustFingerprint));
        if (!fingerprint)
            return failure(
                QStringLiteral("%1 には証明書のSHA-256指紋（16進64桁）を指定してください: %2")
                    .arg(longName(Option::TrustFingerprint),
                         given.value(Option::TrustFingerprint)));
        c.fingerprint = *fingerprint;
    }
    if (given.has(Option::PasswordStdin)) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            c.password = QString::fromUtf8(in.readLine(4096))
                             .remove(QLatin1Char('\n'))
                             .remove(QLatin1Char('\r'));
        if (c.password.isEmpty())
            return failure(QStringLiteral("標準入力からパスワードを読めませんでした。"));
    }
    return accepted(c);
}

ParsedCommandLine listCommand(const GivenOptions& given) {
    Command c;
    c.kind = Command::Kind::List;
    if (given.has(Option::Days)) {
        bool ok = false;
        c.days = given.value(Option::Days).toInt(&ok);
        if (!ok || c.days < 1 || c.days > 7)
            return failure(QStringLiteral("日数は1から7までの数で指定してください: %1")
                               .arg(given.value(Option::Days)));
    }
    return accepted(c);
}

ParsedCommandLine addCommand(const GivenOptions& given) {
    const QStringList words = given.words();
    if (words.size() < 3 || words.size() > 4)
        return failure(
            QStringLiteral("%1 には %2 を指定してください。")
                .arg(longName(Option::Add), QString::fromUtf8(optionRow(Option::Add).words)));
    const auto date = parseDate(words[0]);
    if (!date)
        return failure(QStringLiteral("日付が正しくありません（例 2027-03-15）: %1").arg(words[0]));
    const auto time = parseTime(words[1]);
    if (!time)
        return failure(QStringLiteral("開始時刻が正しくありません（例 10:30）: %1").arg(words[1]));
    Command c;
    c.kind = Command::Kind::Add;
    c.date = *date;
    c.time = *time;
    c.place = words[2];
    c.comment = words.value(3);
    if (given.has(Option::Importance)) {
        const QString word = given.value(Option::Importance);
        if (word != statusWord(1) && word != statusWord(2) && word != statusWord(3))
            return failure(
                QStringLiteral("重要度は 最重要、重要、普通 のどれかです: %1").arg(word));
        c.status = statusFromText(word);
    }
    return accepted(c);
}

ParsedCommandLine exportCommand(const QString& path) {
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return failure(
            QStringLiteral("%1 は通常のファイルではないため、書き出せません。").arg(path));
    Command c;
    c.kind = Command::Kind::Export;
    c.fileName = target.absoluteFilePath();
    return accepted(c);
}

// The calendar is read and expanded here, in the process the user started,
// so that a huge or hostile file costs this process and the board receives
// only appointments.
ParsedCommandLine importCommand(const QString& path) {
    QByteArray bytes;
    switch (readRegularFile(path, kMaxIcsBytes, &bytes)) {
    case RegularFileRead::Read:
        break;
    case RegularFileRead::NotRegular:
        return failure(
            QStringLiteral("%1 は通常のファイルではないため、取り込めません。").arg(path));
    case RegularFileRead::TooLarge:
        return failure(tooLargeMessage(path));
    case RegularFileRead::Missing:
    case RegularFileRead::Failed:
        return failure(QStringLiteral("%1 を読み込めませんでした。").arg(path));
    }
    Command c;
    c.kind = Command::Kind::Import;
    c.fileName = QFileInfo(path).absoluteFilePath();
    c.imported = readIcs(bytes, QDate::currentDate());
    if (!c.imported.isCalendar)
        return failure(refusalMessage(c.imported, path));
    admitImport(c.imported, {});
    return accepted(c);
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
    if (const auto mistyping = singleDashMistyping(arguments))
        return failure(*mistyping);
    QCommandLineParser parser;
    addOptions(parser);
    if (const auto unreadable = unreadableOptions(parser, arguments))
        return failure(*unreadable);
    const GivenOptions given(parser);
    ParsedCommandLine p;
    if (given.has(Option::Help)) {
        p.out = helpText(QFileInfo(arguments.value(0)).fileName());
        return p;
    }
    if (given.has(Option::Version)) {
        p.out = QCoreApplication::applicationName() + QLatin1Char(' ') +
                QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return p;
    }
    if (const auto misused = misusedOptions(given))
        return failure(*misused);
    if (given.has(Option::List))
        return listCommand(given);
    if (given.has(Option::Add))
        return addCommand(given);
    if (given.has(Option::Import))
        return importCommand(given.value(Option::Import));
    if (given.has(Option::Export))
        return exportCommand(given.value(Option::Export));
    return subscriptionCommand(given);
}

} // namespace tanzo
