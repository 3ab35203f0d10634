#include "CommandLineOptions.h"

#include "platform/Cp932.h"

#include <QCommandLineParser>

#include <algorithm>

namespace tanzo {
namespace {

const OptionRow kOptions[] = {
    // Our own help option: the toolkit's has no Japanese text, and it would
    // list --help-all, whose toolkit options mean nothing to a command.
    {.option = Option::Help, .names = "-?, -h, --help", .help = "この説明を表示します。"},
    {.option = Option::Version, .names = "-v, --version", .help = "バージョンを表示します。"},
    {.option = Option::List,
     .names = "--list",
     .help = "今日の予定を表示します。",
     .command = true},
    {.option = Option::Days,
     .names = "--days",
     .valueName = "N",
     .help = "--list で表示する日数（1〜7、既定は1）。",
     .refines = Option::List},
    {.option = Option::Add,
     .names = "--add",
     .help = "予定を登録します（例 --add 2027-03-15 10:30 会議室）。",
     .words = "日付 時刻 行先 [備考]",
     .command = true},
    {.option = Option::Importance,
     .names = "--importance",
     .valueName = "重要度",
     .help = "--add の重要度: 最重要、重要、普通（既定）。",
     .refines = Option::Add},
    {.option = Option::Import,
     .names = "--import",
     .valueName = "FILE.ics",
     .help = "iCalendarファイルの今日から7日間の予定を登録します。",
     .command = true},
    {.option = Option::Export,
     .names = "--export",
     .valueName = "FILE.ics",
     .help = "予定をiCalendarファイルに書き出します。",
     .command = true},
    {.option = Option::Subscribe,
     .names = "--subscribe",
     .valueName = "URL",
     .help = "カレンダーを購読します（https://、webcal://、CalDAV、.ics）。"
             "購読の名前を指定すると、その購読の名前、パスワード、間隔を変えます。",
     .command = true},
    {.option = Option::Calendar,
     .names = "--calendar",
     .valueName = "表示名",
     .help =
         "--subscribe、--own-calendar: サーバーのカレンダーのうち、この表示名のものを使います。",
     .refines = Option::Subscribe,
     .refinesOwnCalendar = true},
    {.option = Option::Name,
     .names = "--name",
     .valueName = "名前",
     .help = "--subscribe: 購読の名前（既定はURLから）。",
     .refines = Option::Subscribe},
    {.option = Option::User,
     .names = "--user",
     .valueName = "利用者名",
     .help = "--subscribe、--calendars、--own-calendar: CalDAVの利用者名。",
     .refines = Option::Subscribe,
     .alsoRefines = Option::Calendars,
     .refinesOwnCalendar = true},
    {.option = Option::PasswordStdin,
     .names = "--password-stdin",
     .help = "--subscribe、--calendars、--own-calendar: パスワードを標準入力から読みます。",
     .refines = Option::Subscribe,
     .alsoRefines = Option::Calendars,
     .refinesOwnCalendar = true},
    {.option = Option::TrustFingerprint,
     .names = "--trust-fingerprint",
     .valueName = "SHA256",
     .help = "--subscribe、--calendars、--own-calendar: "
             "サーバー自身の証明書を、このSHA-256指紋のものに限って信頼します。",
     .refines = Option::Subscribe,
     .alsoRefines = Option::Calendars,
     .refinesOwnCalendar = true},
    {.option = Option::Interval,
     .names = "--interval",
     .valueName = "分",
     .help = "--subscribe: 同期の間隔（5〜1440分、既定は15）。",
     .refines = Option::Subscribe},
    {.option = Option::Subscriptions,
     .names = "--subscriptions",
     .help = "購読しているカレンダーを表示します。",
     .command = true},
    {.option = Option::Unsubscribe,
     .names = "--unsubscribe",
     .valueName = "名前",
     .help = "購読をやめます。",
     .command = true},
    {.option = Option::Sync,
     .names = "--sync",
     .help = "購読しているカレンダーと自分のカレンダーを今すぐ同期します。",
     .command = true},
    {.option = Option::Calendars,
     .names = "--calendars",
     .valueName = "URL",
     .help = "サーバーにある自分のカレンダーを表示します（サーバーのアドレスから探します）。",
     .command = true},
    {.option = Option::OwnCalendar,
     .names = "--own-calendar",
     .valueName = "URL|off",
     .help = "ボードの予定をCalDAVのカレンダーと双方向に同期します（off でやめます）。",
     .command = true},
};

QStringList typedNames(const OptionRow& row) {
    return QString::fromUtf8(row.names).split(QStringLiteral(", "));
}

// The left column of the help: the names and what follows them.
QString helpNames(const OptionRow& row) {
    QString text = QString::fromUtf8(row.names);
    for (const char* after : {row.valueName, row.words})
        if (after)
            text += QLatin1Char(' ') + QString::fromUtf8(after);
    return text;
}

} // namespace

std::span<const OptionRow> optionTable() {
    return kOptions;
}

const OptionRow& optionRow(Option option) {
    return *std::find_if(std::begin(kOptions), std::end(kOptions),
                         [option](const OptionRow& row) { return row.option == option; });
}

QStringList parserNames(Option option) {
    QStringList names = typedNames(optionRow(option));
    for (QString& name : names)
        name.remove(0, name.startsWith(QLatin1String("--")) ? 2 : 1);
    return names;
}

QString longName(Option option) {
    return typedNames(optionRow(option)).last();
}

bool isOptionName(const QString& argument) {
    return std::any_of(std::begin(kOptions), std::end(kOptions), [&argument](const OptionRow& row) {
        return typedNames(row).contains(argument);
    });
}

void addOptions(QCommandLineParser& parser) {
    for (const OptionRow& row : kOptions)
        parser.addOption(QCommandLineOption(parserNames(row.option), QString::fromUtf8(row.help),
                                            QString::fromUtf8(row.valueName)));
}

QString helpText(const QString& program) {
    int column = 0;
    for (const OptionRow& row : kOptions)
        column = std::max(column, cp932::width(helpNames(row)));
    QString text =
        QStringLiteral(
            "使い方: %1 --list | --add ... | --import FILE.ics | --export FILE.ics\n"
            "        %1 --subscribe URL | --subscriptions | --unsubscribe 名前 | --sync\n"
            "        %1 --own-calendar URL|off\n"
            "予定の一覧・登録・iCalendarファイルの取込と書き出し。\n"
            "ボードが動いていればボードに渡し、動いていなければデータファイルを"
            "直接読み書きします。\n"
            "終了状態: 0 成功、2 入力の誤り（何も書き込みません）、"
            "1 書き込みや同期の失敗。\n"
            "\nオプション:\n")
            .arg(program);
    for (const OptionRow& row : kOptions) {
        const QString names = helpNames(row);
        text += QStringLiteral("  ") + names +
                QString(column - cp932::width(names) + 2, QLatin1Char(' ')) +
                QString::fromUtf8(row.help) + QLatin1Char('\n');
    }
    return text;
}

} // namespace tanzo
