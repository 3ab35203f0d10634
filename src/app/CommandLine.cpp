#include "CommandLine.h"

#include "CommandChannel.h"
#include "platform/Cp932.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace tanzo {
namespace {

const QStringList kOurOptions = {QStringLiteral("-h"), QStringLiteral("-?"), QStringLiteral("-v"),
                                 QStringLiteral("--help"), QStringLiteral("--version")};

// The toolkit's own single-dash options: these start the board. The first
// ones take a value in the next argument.
const QStringList kToolkitOptionsWithValue = {QStringLiteral("-platform"),
                                              QStringLiteral("-platformpluginpath"),
                                              QStringLiteral("-platformtheme"),
                                              QStringLiteral("-plugin"),
                                              QStringLiteral("-qwindowgeometry"),
                                              QStringLiteral("-qwindowicon"),
                                              QStringLiteral("-qwindowtitle"),
                                              QStringLiteral("-display"),
                                              QStringLiteral("-geometry"),
                                              QStringLiteral("-title"),
                                              QStringLiteral("-name"),
                                              QStringLiteral("-style"),
                                              QStringLiteral("-stylesheet"),
                                              QStringLiteral("-session"),
                                              QStringLiteral("-qmljsdebugger"),
                                              QStringLiteral("-visual"),
                                              QStringLiteral("-ncols"),
                                              QStringLiteral("-cmap"),
                                              QStringLiteral("-im"),
                                              QStringLiteral("-inputstyle"),
                                              QStringLiteral("-fn"),
                                              QStringLiteral("-font"),
                                              QStringLiteral("-bg"),
                                              QStringLiteral("-background"),
                                              QStringLiteral("-fg"),
                                              QStringLiteral("-foreground"),
                                              QStringLiteral("-btn"),
                                              QStringLiteral("-button")};
const QStringList kToolkitFlags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                   QStringLiteral("-nograb"),  QStringLiteral("-dograb"),
                                   QStringLiteral("-sync"),    QStringLiteral("-testability")};

// The help, laid out by display width: a full-width character takes two
// columns, which the toolkit's own help does not allow for.
QString helpText(const QString& program) {
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("-?, -h, --help"), QStringLiteral("この説明を表示します。")},
        {QStringLiteral("-v, --version"), QStringLiteral("バージョンを表示します。")},
        {QStringLiteral("--list"), QStringLiteral("今日の予定を表示します。")},
        {QStringLiteral("--days N"), QStringLiteral("--list で表示する日数（1〜7、既定は1）。")},
        {QStringLiteral("--add 日付 時刻 行先 [備考]"),
         QStringLiteral("予定を登録します（例 --add 2027-03-15 10:30 会議室）。")},
        {QStringLiteral("--importance 重要度"),
         QStringLiteral("--add の重要度: 最重要、重要、普通（既定）。")},
        {QStringLiteral("--import FILE.ics"),
         QStringLiteral("iCalendarファイルの今日から7日間の予定を登録します。")},
        {QStringLiteral("--export FILE.ics"),
         QStringLiteral("予定をiCalendarファイルに書き出します。")},
        {QStringLiteral("--subscribe URL"),
         QStringLiteral("カレンダーを購読します（https://、webcal://、CalDAV、.ics）。")},
        {QStringLiteral("--name 名前"),
         QStringLiteral("--subscribe: 購読の名前（既定はURLから）。")},
        {QStringLiteral("--user 利用者名"), QStringLiteral("--subscribe: CalDAVの利用者名。")},
        {QStringLiteral("--password-stdin"),
         QStringLiteral("--subscribe: パスワードを標準入力から読みます。")},
        {QStringLiteral("--subscriptions"), QStringLiteral("購読しているカレンダーを表示します。")},
        {QStringLiteral("--unsubscribe 名前"), QStringLiteral("購読をやめます。")},
        {QStringLiteral("--sync"), QStringLiteral("購読しているカレンダーを今すぐ同期します。")}};
    int column = 0;
    for (const auto& row : rows)
        column = std::max(column, cp932::width(row.first));
    QString text =
        QStringLiteral(
            "使い方: %1 --list | --add ... | --import FILE.ics | --export FILE.ics\n"
            "        %1 --subscribe URL | --subscriptions | --unsubscribe 名前 | --sync\n"
            "予定の一覧・登録・iCalendarファイルの取込と書き出し。\n"
            "ボードが動いていればボードに渡し、動いていなければデータファイルを"
            "直接読み書きします。\n"
            "終了状態: 0 成功、2 入力の誤り（何も書き込みません）、"
            "1 書き込みや同期の失敗。\n"
            "\nオプション:\n")
            .arg(program);
    for (const auto& [names, description] : rows)
        text += QStringLiteral("  ") + names +
                QString(column - cp932::width(names) + 2, QLatin1Char(' ')) + description +
                QLatin1Char('\n');
    return text;
}

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

} // namespace

bool wantsCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (kToolkitOptionsWithValue.contains(a))
            ++i;
        else if (!kToolkitFlags.contains(a))
            return true; // ours, a mistyped one (an error), or a bare word
    }
    return false;
}

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "予定の一覧・登録・iCalendarファイルの取込と書き出し。\n"
        "ボードが動いていればボードに渡し、動いていなければデータファイルを直接読み書きします。\n"
        "終了状態: 0 成功、2 入力の誤り（何も書き込みません）、1 書き込みや同期の失敗。"));
    // Our own help option: the toolkit's has no Japanese text, and it would
    // list --help-all, whose toolkit options mean nothing to a command.
    const QCommandLineOption help(
        {QStringLiteral("?"), QStringLiteral("h"), QStringLiteral("help")},
        QStringLiteral("この説明を表示します。"));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("今日の予定を表示します。"));
    const QCommandLineOption days(QStringLiteral("days"),
                                  QStringLiteral("--list で表示する日数（1〜7、既定は1）。"),
                                  QStringLiteral("N"));
    const QCommandLineOption add(
        QStringLiteral("add"),
        QStringLiteral(
            "予定を登録します: --add 日付 時刻 行先 [備考]（例 2027-03-15 10:30 会議室）。"));
    const QCommandLineOption importance(
        QStringLiteral("importance"),
        QStringLiteral("--add の重要度: 最重要、重要、普通（既定）。"), QStringLiteral("重要度"));
    const QCommandLineOption importFile(
        QStringLiteral("import"),
        QStringLiteral("iCalendarファイルの今日から7日間の予定を登録します。"),
        QStringLiteral("FILE.ics"));
    const QCommandLineOption exportFile(QStringLiteral("export"),
                                        QStringLiteral("予定をiCalendarファイルに書き出します。"),
                                        QStringLiteral("FILE.ics"));
    const QCommandLineOption subscribe(
        QStringLiteral("subscribe"),
        QStringLiteral("カレンダーを購読します（https://、webcal://、CalDAV、.ics）。"
                       "接続を確かめてから登録します。"),
        QStringLiteral("URL"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("--subscribe: 購読の名前（既定はURLから）。"),
                                  QStringLiteral("名前"));
    const QCommandLineOption user(QStringLiteral("user"),
                                  QStringLiteral("--subscribe: CalDAVの利用者名。"),
                                  QStringLiteral("利用者名"));
    const QCommandLineOption passwordStdin(
        QStringLiteral("password-stdin"),
        QStringLiteral(
            "--subscribe: パスワードを標準入力から読み、シークレットサービスに保存します。"));
    const QCommandLineOption subscriptions(QStringLiteral("subscriptions"),
                                           QStringLiteral("購読しているカレンダーを表示します。"));
    const QCommandLineOption unsubscribe(QStringLiteral("unsubscribe"),
                                         QStringLiteral("カレンダーの購読をやめます。"),
                                         QStringLiteral("名前"));
    const QCommandLineOption sync(
        QStringLiteral("sync"),
        QStringLiteral("購読しているカレンダーを今すぐ同期し、終わるまで待ちます。"));
    parser.addOptions({list, days, add, importance, importFile, exportFile, subscribe, name, user,
                       passwordStdin, subscriptions, unsubscribe, sync});
    parser.addPositionalArgument(QStringLiteral("日付 時刻 行先 [備考]"),
                                 QStringLiteral("--add の内容。"));

    // Single-dash words other than -h, -? and -v are mistypings (-list),
    // not bundles of one-letter options; "--" ends the options.
    for (const QString& a : arguments.mid(1)) {
        if (a == QLatin1String("--"))
            break;
        if (a.startsWith(QLatin1Char('-')) && !a.startsWith(QLatin1String("--")) && a.size() > 1 &&
            !kOurOptions.contains(a))
            return failure(QStringLiteral("使えないオプションです: %1（オプションは --list の"
                                          "ように「--」で始めます）")
                               .arg(a));
    }
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return failure(QStringLiteral("使えないオプションです: --%1").arg(unknown.first()));
        return failure(parser.errorText());
    }
    const QStringList given = parser.optionNames();
    for (const QCommandLineOption& option :
         {help, version, list, days, add, importance, importFile, exportFile, subscribe, name, user,
          passwordStdin, subscriptions, unsubscribe, sync}) {
        const QStringList names = option.names();
        const auto times = std::count_if(given.begin(), given.end(), [&names](const QString& name) {
            return names.contains(name);
        });
        if (times > 1)
            return failure(QStringLiteral("--%1 が2回以上指定されています。").arg(names.last()));
    }
    ParsedCommandLine p;
    if (parser.isSet(help)) {
        p.out = helpText(QFileInfo(arguments.value(0)).fileName());
        return p;
    }
    if (parser.isSet(version)) {
        p.out = QCoreApplication::applicationName() + QLatin1Char(' ') +
                QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return p;
    }
    const int chosen = int(parser.isSet(list)) + int(parser.isSet(add)) +
                       int(parser.isSet(importFile)) + int(parser.isSet(exportFile)) +
                       int(parser.isSet(subscribe)) + int(parser.isSet(subscriptions)) +
                       int(parser.isSet(unsubscribe)) + int(parser.isSet(sync));
    if (chosen != 1)
        return failure(
            QStringLiteral("--list、--add、--import、--export、--subscribe、--subscriptions、"
                           "--unsubscribe、--sync のどれか一つを指定してください。"));
    if ((parser.isSet(name) || parser.isSet(user) || parser.isSet(passwordStdin)) &&
        !parser.isSet(subscribe))
        return failure(QStringLiteral(
            "--name、--user、--password-stdin は --subscribe と一緒に指定してください。"));

    Command c;
    const QStringList words = parser.positionalArguments();
    if (!parser.isSet(add) && !words.isEmpty())
        return failure(
            QStringLiteral("余分な引数があります: %1").arg(words.join(QLatin1Char(' '))));
    if (parser.isSet(days) && !parser.isSet(list))
        return failure(QStringLiteral("--days は --list と一緒に指定してください。"));
    if (parser.isSet(importance) && !parser.isSet(add))
        return failure(QStringLiteral("--importance は --add と一緒に指定してください。"));

    if (parser.isSet(subscribe) || parser.isSet(subscriptions) || parser.isSet(unsubscribe) ||
        parser.isSet(sync)) {
        if (!words.isEmpty())
            return failure(
                QStringLiteral("余分な引数があります: %1").arg(words.join(QLatin1Char(' '))));
        if (parser.isSet(subscribe)) {
            c.kind = Command::Kind::Subscribe;
            c.address = parser.value(subscribe);
            // A relative path is the user's, from here; the board has another
            // working directory.
            if (!c.address.contains(QLatin1String("://")) && QFileInfo(c.address).isFile())
                c.address = QFileInfo(c.address).absoluteFilePath();
            c.name = parser.value(name);
            c.user = parser.value(user);
            if (parser.isSet(passwordStdin)) {
                QFile in;
                if (in.open(stdin, QIODevice::ReadOnly))
                    c.password = QString::fromUtf8(in.readLine(4096))
                                     .remove(QLatin1Char('\n'))
                                     .remove(QLatin1Char('\r'));
                if (c.password.isEmpty())
                    return failure(QStringLiteral("標準入力からパスワードを読めませんでした。"));
            }
        } else if (parser.isSet(unsubscribe)) {
            c.kind = Command::Kind::Unsubscribe;
            c.name = parser.value(unsubscribe);
        } else {
            c.kind = parser.isSet(sync) ? Command::Kind::Sync : Command::Kind::Subscriptions;
        }
        p.command = c;
        return p;
    }
    if (parser.isSet(list)) {
        c.kind = Command::Kind::List;
        if (parser.isSet(days)) {
            bool ok = false;
            c.days = parser.value(days).toInt(&ok);
            if (!ok || c.days < 1 || c.days > 7)
                return failure(QStringLiteral("日数は1から7までの数で指定してください: %1")
                                   .arg(parser.value(days)));
        }
    } else if (parser.isSet(add)) {
        c.kind = Command::Kind::Add;
        if (words.size() < 3 || words.size() > 4)
            return failure(QStringLiteral("--add には 日付 時刻 行先 [備考] を指定してください。"));
        const auto date = parseDate(words[0]);
        if (!date)
            return failure(
                QStringLiteral("日付が正しくありません（例 2027-03-15）: %1").arg(words[0]));
        const auto time = parseTime(words[1]);
        if (!time)
            return failure(
                QStringLiteral("開始時刻が正しくありません（例 10:30）: %1").arg(words[1]));
        c.date = *date;
        c.time = *time;
        c.place = words[2];
        c.comment = words.value(3);
        if (parser.isSet(importance)) {
            const QString word = parser.value(importance);
            if (word != statusWord(1) && word != statusWord(2) && word != statusWord(3))
                return failure(
                    QStringLiteral("重要度は 最重要、重要、普通 のどれかです: %1").arg(word));
            c.status = statusFromText(word);
        }
    } else {
        const bool importing = parser.isSet(importFile);
        c.kind = importing ? Command::Kind::Import : Command::Kind::Export;
        const QString path = parser.value(importing ? importFile : exportFile);
        c.fileName = QFileInfo(path).absoluteFilePath();
        const QFileInfo target(path);
        if (!importing && target.exists() && !target.isFile())
            return failure(
                QStringLiteral("%1 は通常のファイルではないため、書き出せません。").arg(path));
        if (importing) {
            // The calendar is read and expanded here, in the process the
            // user started, so that a huge or hostile file costs this process
            // and the board receives only appointments.
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return failure(QStringLiteral("%1 を読み込めませんでした。").arg(path));
            const QByteArray bytes = f.read(kMaxIcsBytes + 1);
            if (bytes.size() > kMaxIcsBytes)
                return failure(tooLargeMessage(path));
            c.imported = readIcs(bytes, QDate::currentDate());
            if (!c.imported.isCalendar)
                return failure(refusalMessage(c.imported, path));
            admitImport(c.imported, {});
        }
    }
    p.command = c;
    return p;
}

} // namespace tanzo
