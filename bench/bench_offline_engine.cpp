// The offline engine against the tesseract command a user would type, on the
// same files: time (medians of five runs, one thread each) and character
// error rate, for pages rendered here at 96 and 300 dpi (with and without a
// resolution in the file), small screen text, a Chinese and a French page;
// then a batch of fifty pictures read side by side against one at a time.
//
//   build/bench/bench_offline_engine [runs]   (TAVIOCR_BENCH_KEEP=1 keeps the pictures)

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_folder.h"
#include "platform/text.h"
#include "support/rendered_text.h"

namespace {

const char* const kEnglish =
    "The committee met on Tuesday to review the quarterly figures. Revenue rose by 8.4 percent "
    "to 12,750 units, while costs stayed within the budget agreed in spring. Several members "
    "asked whether the new warehouse would open before the winter, and the director promised a "
    "written answer by the end of the month. The minutes were approved without changes, and the "
    "next meeting was set for the second week of March.\n\n"
    "Questions about the schedule should be sent to the office before Friday. A short summary "
    "of the discussion will be published on the notice board, together with the figures for "
    "each region and a list of the projects that were postponed. Anyone who wishes to comment "
    "may do so in writing; late comments cannot be considered.\n\n";

const char* const kFrench =
    "Le comité s'est réuni mardi pour examiner les résultats du trimestre. Les recettes ont "
    "augmenté de huit pour cent, tandis que les coûts sont restés dans le budget prévu au "
    "printemps. Plusieurs membres ont demandé si le nouvel entrepôt ouvrirait avant l'hiver, et "
    "le directeur a promis une réponse écrite avant la fin du mois. Le procès-verbal a été "
    "approuvé sans modification ; la prochaine réunion aura lieu à Noël, près de la forêt.\n\n";

const char* const kChinese =
    "委员会于星期二开会，审查季度数据。收入增长了百分之八，而成本保持在春季商定的预算之内。"
    "几位成员询问新仓库是否会在冬季之前开放，主任承诺在月底前给出书面答复。"
    "会议记录未经修改即获批准，下次会议定于三月第二周举行。\n\n"
    "有关日程安排的问题应在星期五之前发送到办公室。讨论摘要将公布在公告栏上，"
    "同时公布各地区的数据以及推迟项目的清单。\n\n";

struct Page {
    std::string name;
    std::string file;
    std::wstring truth;
    std::string lang;       // --lang of taviocr-cli
    std::string tesseract;  // -l of tesseract
    bool ignoreSpaces = false;
};

std::string Repeat(const char* text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

// A page of the text at the resolution, as a printer would put it on paper
// (anti-aliased, margins of an inch); the file declares the resolution only
// when `declare` is set.
bool RenderPage(const std::string& path, const std::string& text, const QString& family,
                double points, int dpi, double widthInches, double heightInches, bool declare) {
    QImage page(static_cast<int>(widthInches * dpi), static_cast<int>(heightInches * dpi),
                QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QTextDocument document;
    QFont font(family);
    font.setPixelSize(static_cast<int>(points * dpi / 72.0 + 0.5));
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setTextWidth(page.width() - 2 * dpi);
    document.setPlainText(QString::fromStdString(text));
    QPainter painter(&page);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(dpi, dpi);
    document.drawContents(&painter, QRectF(0, 0, page.width() - 2 * dpi, page.height() - 2 * dpi));
    painter.end();
    if (declare) {
        page.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
        page.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
    }
    if (!page.save(QString::fromStdString(path))) return false;
    if (!declare)  // Qt writes its default resolution: the file must carry none
        return std::system(("convert '" + path + "' -strip -define png:exclude-chunks=pHYs '" +
                            path + "' 2>/dev/null")
                               .c_str()) == 0;
    return true;
}

struct Timed {
    double seconds = 0;
    std::string output;
};

Timed Run(const std::string& command) {
    Timed timed;
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return timed;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) timed.output.append(buffer, n);
    ::pclose(pipe);
    timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return timed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string folder = MakeBenchFolder("taviocr-bench-engine");
    const std::string cli = std::string(TAVIOCR_OUT_DIR) + "/taviocr-cli --engine offline";
    // The command line keeps its settings and log in the bench's own folder.
    ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (folder + "/cache").c_str(), 1);

    const std::string english = Repeat(kEnglish, 1);
    const std::string fullEnglish = Repeat(kEnglish, 4);
    std::vector<Page> pages;
    const auto add = [&](const std::string& name, const std::string& text, const char* family,
                         double points, int dpi, double w, double h, bool declare,
                         const std::string& lang, const std::string& model, bool cjk) {
        const std::string file = folder + "/" + name + ".png";
        if (!RenderPage(file, text, family, points, dpi, w, h, declare)) {
            std::fprintf(stderr, "could not render %s\n", name.c_str());
            std::exit(1);
        }
        pages.push_back({name, file, Utf8ToWide(text), lang, model, cjk});
    };
    add("english-96dpi", english, "DejaVu Serif", 11, 96, 8.27, 4.5, true, "ENG", "eng", false);
    add("english-300dpi", english, "DejaVu Serif", 11, 300, 8.27, 4.5, true, "ENG", "eng", false);
    add("english-300dpi-undeclared", english, "DejaVu Serif", 11, 300, 8.27, 4.5, false, "ENG",
        "eng", false);
    add("english-300dpi-full-page", fullEnglish, "DejaVu Serif", 10, 300, 8.27, 11.69, true, "ENG",
        "eng", false);
    add("french-150dpi", Repeat(kFrench, 1), "DejaVu Serif", 11, 150, 8.27, 4.5, true, "FRE", "fra",
        false);
    add("chinese-300dpi", Repeat(kChinese, 1), "Noto Sans CJK SC", 11, 300, 8.27, 4.5, true,
        "CHN_ENG", "chi_sim", true);
    for (int pixels : {10, 12}) {
        // Screen text: small sans, anti-aliased, on a window's grey.
        std::vector<TextLine> lines;
        std::wstring truth;
        for (const TextLine& line : ScreenshotLines(12)) {
            lines.push_back({line.text, pixels});
            truth += Utf8ToWide(line.text) + L"\n";
        }
        const std::string name = "screen-" + std::to_string(pixels) + "px";
        const std::string file = folder + "/" + name + ".png";
        if (!RenderLines(file, lines, "#202020", "#f3f3f3")) return 1;
        pages.push_back({name, file, truth, "ENG", "eng", false});
    }

    std::printf("%-28s %9s %9s %7s %8s %8s\n", "picture", "ours s", "tess. s", "ratio", "our CER",
                "tess CER");
    for (const Page& page : pages) {
        std::vector<double> ours, theirs;
        std::string ourText, theirText;
        for (int i = 0; i < runs; ++i) {
            const Timed a = Run(cli + " --lang " + page.lang + " '" + page.file + "'");
            const Timed b = Run("OMP_THREAD_LIMIT=1 tesseract '" + page.file + "' - -l " +
                                page.tesseract + " 2>/dev/null");
            ours.push_back(a.seconds);
            theirs.push_back(b.seconds);
            ourText = a.output;
            theirText = b.output;
        }
        const double ourError =
            1 - CharacterAccuracy(page.truth, Utf8ToWide(ourText), page.ignoreSpaces);
        const double theirError =
            1 - CharacterAccuracy(page.truth, Utf8ToWide(theirText), page.ignoreSpaces);
        std::printf("%-28s %9.3f %9.3f %6.2fx %7.2f%% %7.2f%%\n", page.name.c_str(), Median(ours),
                    Median(theirs), Median(ours) / Median(theirs), 100 * ourError,
                    100 * theirError);
    }

    // A batch: fifty short paragraphs, read side by side and one at a time.
    std::string batch;
    for (int i = 0; i < 50; ++i) {
        const std::string file = folder + "/batch-" + std::to_string(i) + ".png";
        const std::string text =
            "Picture number " + std::to_string(i) + " of the batch. " + kEnglish;
        if (!RenderPage(file, text.substr(0, 300), "DejaVu Sans", 12, 96, 6, 2, true)) return 1;
        batch += " '" + file + "'";
    }
    std::vector<double> parallel, serial;
    std::string parallelText, serialText;
    for (int i = 0; i < std::min(runs, 3); ++i) {
        const Timed a = Run(cli + " --lang ENG" + batch);
        const Timed b = Run("TAVIOCR_ENGINE_LANES=1 " + cli + " --lang ENG" + batch);
        parallel.push_back(a.seconds);
        serial.push_back(b.seconds);
        parallelText = a.output;
        serialText = b.output;
    }
    std::printf(
        "\nbatch of 50, side by side: %.2f s, one at a time: %.2f s, speed-up %.2fx, "
        "same text in the same order: %s\n",
        Median(parallel), Median(serial), Median(serial) / Median(parallel),
        parallelText == serialText && !parallelText.empty() ? "yes" : "NO");
    if (!std::getenv("TAVIOCR_BENCH_KEEP")) std::filesystem::remove_all(folder);
    return 0;
}
