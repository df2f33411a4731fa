#include "programs/cli/cli_options.h"

#include <QCommandLineParser>
#include <charconv>
#include <utility>

namespace {

CliOptions Usage(std::string error) {
    CliOptions options;
    options.action = CliOptions::Action::UsageError;
    options.error = std::move(error);
    return options;
}

}  // namespace

std::optional<KindCode> CliKindCode(const std::string& name) {
    static const std::pair<const char*, KindCode> kNames[] = {
        {"text", KindCode::TextOfflineFirst},
        {"accurate", KindCode::Accurate},
        {"idcard", KindCode::IdCardBothSides},
        {"bankcard", KindCode::BankCard},
        {"driving", KindCode::DrivingLicence},
        {"vehicle", KindCode::VehicleLicence},
        {"invoice", KindCode::VatInvoice},
        {"business", KindCode::BusinessLicence},
        {"passport", KindCode::Passport},
        {"banklicence", KindCode::BankAccountLicence},
        {"table", KindCode::Table},
    };
    for (const auto& [text, kind] : kNames)
        if (name == text) return kind;
    int number = -1;
    const char* end = name.data() + name.size();
    const auto [ptr, ec] = std::from_chars(name.data(), end, number);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return KindFromNumber(number);
}

CliOptions ParseCliArguments(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return Usage("no image given");
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption engine(QStringLiteral("engine"), {}, QStringLiteral("NAME"));
    const QCommandLineOption kind(QStringLiteral("kind"), {}, QStringLiteral("KIND"));
    const QCommandLineOption lang(QStringLiteral("lang"), {}, QStringLiteral("CODE"));
    const QCommandLineOption dpi(QStringLiteral("dpi"), {}, QStringLiteral("N"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), {}, QStringLiteral("FILE"));
    const QCommandLineOption out(QStringLiteral("out"), {}, QStringLiteral("DIR"));
    const QCommandLineOption merge(QStringLiteral("merge"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption scan(QStringLiteral("scan"));
    const QCommandLineOption device(QStringLiteral("device"), {}, QStringLiteral("NAME"));
    const QCommandLineOption pages(QStringLiteral("pages"), {}, QStringLiteral("N"));
    const QCommandLineOption screen(QStringLiteral("screen"));
    const QCommandLineOption output(QStringLiteral("output"), {}, QStringLiteral("N"));
    const QCommandLineOption region(QStringLiteral("region"), {}, QStringLiteral("X,Y,W,H"));
    parser.addOptions({help, version, engine, kind, lang, dpi, pdf, out, merge, json, scan, device,
                       pages, screen, output, region});
    // Arguments are bytes (a file name need not be UTF-8): each byte is one
    // Latin-1 character for the parser and the same byte again afterwards.
    QStringList line{QStringLiteral("taviocr-cli")};
    for (const std::string& argument : arguments)
        line << QString::fromLatin1(argument.data(), static_cast<qsizetype>(argument.size()));
    const auto bytes = [](const QString& text) { return text.toLatin1().toStdString(); };
    const bool parsed = parser.parse(line);
    // Help and version answer whatever else the line holds.
    if (parser.isSet(help)) return CliOptions{};
    if (parser.isSet(version)) {
        CliOptions options;
        options.action = CliOptions::Action::Version;
        return options;
    }
    if (!parser.unknownOptionNames().isEmpty()) {
        // Named as it was typed, one dash or two.
        const std::string name = bytes(parser.unknownOptionNames().first());
        for (const std::string& argument : arguments) {
            const std::string typed = argument.substr(0, argument.find('='));
            if (typed == "-" + name || typed == "--" + name)
                return Usage("unknown option '" + typed + "'");
        }
        return Usage("unknown option '--" + name + "'");
    }
    // What is left is a value option at the end of the line, without its value.
    const auto missing = [&](const QCommandLineOption& option) {
        return !parsed && arguments.back() == "--" + bytes(option.names().first());
    };
    const auto given = [&](const QCommandLineOption& option) {
        return parser.isSet(option) || missing(option);
    };
    const auto value = [&](const QCommandLineOption& option) {
        return parser.isSet(option) && !missing(option) ? std::optional(bytes(parser.value(option)))
                                                        : std::nullopt;
    };

    CliOptions options;
    if (given(engine)) {
        const auto name = value(engine);
        if (!name) return Usage("--engine needs a value: auto, cloud or offline");
        if (*name == "auto")
            options.engine = CliOptions::Engine::Auto;
        else if (*name == "cloud")
            options.engine = CliOptions::Engine::Cloud;
        else if (*name == "offline")
            options.engine = CliOptions::Engine::Offline;
        else
            return Usage("unknown engine '" + *name + "': use auto, cloud or offline");
    }
    if (given(kind)) {
        const auto name = value(kind);
        const auto code = name ? CliKindCode(*name) : std::nullopt;
        if (!code) return Usage("--kind needs one of the kinds listed below");
        options.kind = *code;
    }
    if (given(lang)) {
        const auto code = value(lang);
        const auto number = code ? LanguageNumberForType(*code) : std::nullopt;
        if (!number)
            return Usage(
                "--lang needs one of ENG, CHN_ENG, FRE, GER, ITA, SPA, POR, RUS, JAP, KOR");
        options.language = number;
    }
    if (given(dpi)) {
        bool number = false;
        const int n = parser.value(dpi).toInt(&number);
        if (!value(dpi) || !number || n < 50 || n > 1200)
            return Usage("--dpi needs a resolution from 50 to 1200");
        options.dpi = n;
    }
    if (given(pdf)) {
        const auto file = value(pdf);
        if (!file || file->empty()) return Usage("--pdf needs a file name");
        options.pdf = *file;
    }
    if (given(out)) {
        const auto folder = value(out);
        if (!folder || folder->empty()) return Usage("--out needs a folder");
        options.outFolder = *folder;
    }
    if (given(device)) {
        const auto name = value(device);
        if (!name || name->empty()) return Usage("--device needs a scanner name");
        options.device = *name;
    }
    if (given(pages)) {
        bool number = false;
        const int count = parser.value(pages).toInt(&number);
        if (!value(pages) || !number || count < 1 || count > 500)
            return Usage("--pages needs a number from 1 to 500");
        options.pages = count;
    }
    if (given(output)) {
        bool number = false;
        const int n = parser.value(output).toInt(&number);
        if (!value(output) || !number || n < 0)
            return Usage("--output needs a monitor number from 0");
        options.output = n;
    }
    if (given(region)) {
        const QStringList parts = parser.value(region).split(QLatin1Char(','));
        std::array<int, 4> numbers{};
        bool valid = value(region).has_value() && parts.size() == 4;
        for (int i = 0; valid && i < 4; ++i) numbers[i] = parts[i].trimmed().toInt(&valid);
        if (!valid || numbers[2] <= 0 || numbers[3] <= 0)
            return Usage("--region needs X,Y,WIDTH,HEIGHT in screen pixels");
        options.region = numbers;
    }
    options.merge = parser.isSet(merge);
    options.json = parser.isSet(json);
    options.scan = parser.isSet(scan);
    options.screen = parser.isSet(screen) || options.output || options.region;
    if (options.scan && options.screen) return Usage("--scan and --screen do not go together");
    for (const QString& image : parser.positionalArguments())
        options.images.push_back(bytes(image));
    if (options.images.empty() && !options.scan && !options.screen) return Usage("no image given");
    options.action = CliOptions::Action::Recognize;
    return options;
}

std::string CliUsageText() {
    return "Usage: taviocr-cli [--kind KIND] [--engine auto|cloud|offline] [--lang CODE]\n"
           "                   [--dpi N] [--pdf FILE] [--out DIR] [--merge] [--json] IMAGE...\n"
           "       taviocr-cli --scan [--device NAME] [--pages N] [OPTION...]\n"
           "       taviocr-cli --screen [--output N | --region X,Y,W,H] [OPTION...]\n"
           "       taviocr-cli --help | --version\n"
           "\n"
           "Recognises each IMAGE and prints its text (UTF-8), one block per image.\n"
           "\n"
           "  --kind KIND    text (default), accurate, idcard (front, then back), bankcard,\n"
           "                 driving, vehicle, invoice, business, passport, banklicence,\n"
           "                 table (writes .xlsx files into --out or the current folder)\n"
           "  --engine NAME  for text: auto (cloud when service keys are set, else\n"
           "                 offline), cloud or offline\n"
           "  --lang CODE    the language of plain text: ENG, CHN_ENG (Chinese and\n"
           "                 English), FRE, GER, ITA, SPA, POR, RUS, JAP or KOR;\n"
           "                 default: the recognition language of the settings\n"
           "  --dpi N        draw the pages of PDF documents at N dots per inch\n"
           "                 (default 300); a PDF or multi-page TIFF is read page by page\n"
           "  --pdf FILE     also write the pictures with their text as a searchable PDF\n"
           "  --out DIR      save the results as text files in a new folder under DIR\n"
           "  --merge        print all images as one text\n"
           "  --json         print every field of each result as JSON\n"
           "  --scan         scan the images first (SANE scanners); --device names the\n"
           "                 scanner (\"test:0\"), --pages how many pages (default 1)\n"
           "  --screen       recognise what is on the screen (X11); --output N only\n"
           "                 monitor N (from 0), --region X,Y,W,H only that rectangle,\n"
           "                 in the screen's pixels\n"
           "\n"
           "Exit status: 0 success, 1 recognition failed, 2 wrong command line.\n";
}
