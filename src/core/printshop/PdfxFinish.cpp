#include "printshop/PdfxFinish.h"

#include "base/Messages.h"
#include "printshop/CmykColour.h"
#include "sheet/PictureDeflate.h"

#include <QtConcurrent/QtConcurrentMap>

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Function.hh>
#include <qpdf/Pl_QPDFTokenizer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>


#include <cctype>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace PdfxFinish {
namespace {

// The name the registration colour goes by in every page's resources.
const char *const RegistrationName = "/TvRegistration";
constexpr int BoxDecimals = 4;

class Problems
{
public:
    explicit Problems(QStringList *list) : m_list(list) {}
    void add(const QString &problem)
    {
        if (m_list && !m_list->contains(problem))
            m_list->append(problem);
    }

private:
    QStringList *m_list;
};

std::string number(double value)
{
    // Four decimals: a ten-thousandth of a colour step, far below a press's.
    QByteArray text = QByteArray::number(std::abs(value) < 5e-5 ? 0.0 : value, 'f', 4);
    while (text.contains('.') && (text.endsWith('0') || text.endsWith('.')))
        text.chop(1);
    return text.toStdString();
}

// What a colour space of a content stream is, for the conversion.
enum class Space { Keep, Rgb, Unknown };

Space classifyName(const std::string &name)
{
    if (name == "/DeviceRGB" || name == "/RGB")
        return Space::Rgb;
    if (name == "/DeviceGray" || name == "/G" || name == "/DeviceCMYK" || name == "/CMYK")
        return Space::Keep;
    return Space::Unknown;
}

Space classify(QPDFObjectHandle space)
{
    if (space.isName())
        return classifyName(space.getName());
    if (space.isArray() && space.getArrayNItems() > 0 && space.getArrayItem(0).isName()) {
        const std::string family = space.getArrayItem(0).getName();
        // Separations and DeviceN name their own inks: kept as they are.
        if (family == "/Separation" || family == "/DeviceN")
            return Space::Keep;
    }
    return Space::Unknown;
}

// The content stream's colours from RGB to CMYK, token by token: rg and RG
// become k and K; a colour space that stands for DeviceRGB becomes
// DeviceCMYK and the colours set in it get four components. Every other
// token is written as it came.
class ColourFilter : public QPDFObjectHandle::TokenFilter
{
public:
    // spaces: the colour spaces the resources name, as classify() sees them.
    using Spaces = std::map<std::string, Space>;
    ColourFilter(const Spaces &spaces, Problems &problems) : m_spaces(spaces), m_problems(problems)
    {
        m_state.push_back({});
    }

    void handleToken(QPDFTokenizer::Token const &token) override
    {
        const auto type = token.getType();
        if (type != QPDFTokenizer::tt_word) {
            const bool blank = type == QPDFTokenizer::tt_space || type == QPDFTokenizer::tt_comment;
            if (!blank) {
                if (m_operands.empty())
                    m_firstOperandAt = m_pending.size();
                m_operands.push_back({type, token.getValue()});
            }
            m_pending += token.getRawValue();
            if (type == QPDFTokenizer::tt_inline_image)
                m_problems.add(Msg::printShopColourNotConverted());
            return;
        }
        operate(token.getValue());
        m_pending.clear();
        m_operands.clear();
    }

    void handleEOF() override
    {
        write(m_pending);
        m_pending.clear();
    }

private:
    struct Colours {
        Space fill = Space::Keep;   // DeviceGray, the initial space
        Space stroke = Space::Keep;
    };
    struct Operand {
        QPDFTokenizer::token_type_e type;
        std::string value;
    };

    void passOn(const std::string &op)
    {
        m_pending += op;
        write(m_pending);
    }

    std::optional<std::vector<double>> numbers() const
    {
        std::vector<double> values;
        for (const Operand &operand : m_operands) {
            if (operand.type != QPDFTokenizer::tt_integer && operand.type != QPDFTokenizer::tt_real)
                return std::nullopt;
            bool ok = false;
            values.push_back(QByteArray::fromStdString(operand.value).toDouble(&ok));
            if (!ok)
                return std::nullopt;
        }
        return values;
    }

    // What came before the first operand (blanks, the line break after the
    // last operator), so that the replacement stays apart from it.
    void writeLeadingBlanks()
    {
        const std::size_t blanks = m_operands.empty() ? m_pending.size() : m_firstOperandAt;
        write(blanks > 0 ? m_pending.substr(0, blanks) : std::string(" "));
    }

    void writeCmyk(const std::vector<double> &rgb, const std::string &op)
    {
        const CmykColour::Cmyk cmyk = CmykColour::fromRgb(rgb[0], rgb[1], rgb[2]);
        writeLeadingBlanks();
        write(number(cmyk.c) + " " + number(cmyk.m) + " " + number(cmyk.y) + " " + number(cmyk.k) + " " + op);
    }

    Space spaceNamed(const std::string &name) const
    {
        const Space direct = classifyName(name);
        if (direct != Space::Unknown)
            return direct;
        const auto named = m_spaces.find(name);
        return named != m_spaces.end() ? named->second : Space::Unknown;
    }

    void operate(const std::string &name)
    {
        Colours &colours = m_state.back();
        const bool stroke = !name.empty() && std::isupper(static_cast<unsigned char>(name[0]));
        Space &current = stroke ? colours.stroke : colours.fill;
        if (name == "q") {
            m_state.push_back(colours);
        } else if (name == "Q") {
            if (m_state.size() > 1)
                m_state.pop_back();
        } else if (name == "rg" || name == "RG") {
            const auto values = numbers();
            if (values && values->size() == 3) {
                current = Space::Keep;
                writeCmyk(*values, stroke ? "K" : "k");
                return;
            }
            m_problems.add(Msg::printShopColourNotConverted());
        } else if (name == "g" || name == "G" || name == "k" || name == "K") {
            current = Space::Keep;
        } else if (name == "cs" || name == "CS") {
            const bool named = m_operands.size() == 1 && m_operands.front().type == QPDFTokenizer::tt_name;
            current = named ? spaceNamed(m_operands.front().value) : Space::Unknown;
            if (current == Space::Rgb) {
                writeLeadingBlanks();
                write("/DeviceCMYK " + name);
                return;
            }
        } else if (name == "sc" || name == "scn" || name == "SC" || name == "SCN") {
            if (current == Space::Rgb) {
                const auto values = numbers();
                if (values && values->size() == 3) {
                    writeCmyk(*values, name);
                    return;
                }
            }
            if (current != Space::Keep)
                m_problems.add(Msg::printShopColourNotConverted());
        } else if (name == "sh" || name == "BI") {
            m_problems.add(Msg::printShopColourNotConverted());
        }
        passOn(name);
    }

    const Spaces &m_spaces;
    Problems &m_problems;
    std::string m_pending;              // the raw text since the last operator
    std::size_t m_firstOperandAt = 0;   // where in it the first operand starts
    std::vector<Operand> m_operands;    // the operands among it
    std::vector<Colours> m_state;       // saved by q, restored by Q
};

ColourFilter::Spaces spacesOf(QPDFObjectHandle resources)
{
    ColourFilter::Spaces spaces;
    QPDFObjectHandle named = resources.isDictionary() ? resources.getKey("/ColorSpace") : QPDFObjectHandle::newNull();
    if (named.isDictionary()) {
        for (auto &[name, space] : named.ditems())
            spaces.emplace(name, classify(space));
    }
    return spaces;
}

// A content stream's colours converted, on any thread: neither the stream
// nor the filter touches the document.
struct ContentJob {
    std::string drawn;
    ColourFilter::Spaces spaces;
    std::string converted;
    QStringList problems;
};

void convertContent(ContentJob &job)
{
    Problems problems(&job.problems);
    ColourFilter filter(job.spaces, problems);
    Pl_Buffer buffer("colours");
    Pl_QPDFTokenizer tokenizer("colours", &filter, &buffer);
    tokenizer.write(reinterpret_cast<const unsigned char *>(job.drawn.data()), job.drawn.size());
    tokenizer.finish();
    const std::unique_ptr<Buffer> bytes(buffer.getBuffer());
    job.converted.assign(reinterpret_cast<const char *>(bytes->getBuffer()), bytes->getSize());
}

std::string contentOf(const std::function<void(Pipeline *)> &pipe)
{
    Pl_Buffer buffer("content");
    pipe(&buffer);
    const std::unique_ptr<Buffer> bytes(buffer.getBuffer());
    return std::string(reinterpret_cast<const char *>(bytes->getBuffer()), bytes->getSize());
}

bool isTrue(QPDFObjectHandle value) { return value.isBool() && value.getBoolValue(); }

double numeric(QPDFObjectHandle value, double otherwise)
{
    return value.isNumber() ? value.getNumericValue() : otherwise;
}

void checkStates(QPDFObjectHandle resources, Problems &problems)
{
    QPDFObjectHandle states = resources.isDictionary() ? resources.getKey("/ExtGState") : QPDFObjectHandle::newNull();
    if (!states.isDictionary())
        return;
    for (auto &[name, state] : states.ditems()) {
        if (!state.isDictionary())
            continue;
        QPDFObjectHandle mask = state.getKey("/SMask");
        QPDFObjectHandle blend = state.getKey("/BM");
        const bool blends = blend.isName() && blend.getName() != "/Normal" && blend.getName() != "/Compatible";
        if ((!mask.isNull() && !(mask.isName() && mask.getName() == "/None")) || numeric(state.getKey("/CA"), 1) < 1
            || numeric(state.getKey("/ca"), 1) < 1 || blends)
            problems.add(Msg::printShopTransparency());
    }
}

void checkFonts(QPDFObjectHandle resources, Problems &problems)
{
    QPDFObjectHandle fonts = resources.isDictionary() ? resources.getKey("/Font") : QPDFObjectHandle::newNull();
    if (!fonts.isDictionary())
        return;
    for (auto &[name, font] : fonts.ditems()) {
        if (!font.isDictionary() || font.getKey("/Subtype").isNameAndEquals("/Type3"))
            continue;
        QPDFObjectHandle described = font;
        if (font.getKey("/Subtype").isNameAndEquals("/Type0")) {
            QPDFObjectHandle descendants = font.getKey("/DescendantFonts");
            described = descendants.isArray() && descendants.getArrayNItems() > 0 ? descendants.getArrayItem(0)
                                                                                  : QPDFObjectHandle::newNull();
        }
        QPDFObjectHandle descriptor =
            described.isDictionary() ? described.getKey("/FontDescriptor") : QPDFObjectHandle::newNull();
        const bool embedded =
            descriptor.isDictionary()
            && (descriptor.hasKey("/FontFile") || descriptor.hasKey("/FontFile2") || descriptor.hasKey("/FontFile3"));
        if (!embedded) {
            QPDFObjectHandle base = font.getKey("/BaseFont");
            problems.add(Msg::printShopFontNotEmbedded(
                QString::fromStdString(base.isName() ? base.getName().substr(1) : name.substr(1))));
        }
    }
}

// One picture to convert: its samples decoded, flattened and converted on
// another core, put back on this one.
struct PictureJob {
    QPDFObjectHandle image;
    std::shared_ptr<Buffer> samples;
    std::shared_ptr<Buffer> alpha;   // 8-bit soft mask of the same size, or null
    std::size_t pixels = 0;
    int components = 3;   // 3: RGB to CMYK; 1: grey kept
    QByteArray deflated;
};

void convertPicture(PictureJob &job)
{
    std::uint8_t *samples = job.samples->getBuffer();
    if (job.alpha) {
        // On white paper: each sample weighed by its coverage.
        const std::uint8_t *alpha = job.alpha->getBuffer();
        for (std::size_t n = 0; n < job.pixels; ++n) {
            for (int c = 0; c < job.components; ++c) {
                std::uint8_t &s = samples[n * std::size_t(job.components) + std::size_t(c)];
                s = std::uint8_t((s * alpha[n] + 255 * (255 - alpha[n]) + 127) / 255);
            }
        }
    }
    if (job.components == 1) {
        job.deflated = PictureDeflate::zlibStream(samples, job.pixels);
        return;
    }
    std::vector<std::uint8_t> cmyk(job.pixels * 4);
    CmykColour::convertRow(samples, cmyk.data(), job.pixels);
    job.deflated = PictureDeflate::zlibStream(cmyk.data(), cmyk.size());
}

std::shared_ptr<Buffer> decoded(QPDFObjectHandle stream, std::size_t expected)
{
    try {
        std::shared_ptr<Buffer> data = stream.getStreamData(qpdf_dl_generalized);
        return data && data->getSize() == expected ? data : nullptr;
    } catch (const std::exception &) {
        return nullptr;
    }
}

// The pictures' job, or nothing for one that needs none (a stencil mask, a
// grey or CMYK picture without alpha); problems for what cannot be converted.
std::optional<PictureJob> pictureJob(QPDFObjectHandle image, Problems &problems)
{
    QPDFObjectHandle dict = image.getDict();
    // Smoothing is left to the shop's RIP.
    dict.removeKey("/Interpolate");
    if (isTrue(dict.getKey("/ImageMask")))
        return std::nullopt;
    QPDFObjectHandle space = dict.getKey("/ColorSpace");
    QPDFObjectHandle mask = dict.getKey("/SMask");
    const long long width = dict.getKey("/Width").isInteger() ? dict.getKey("/Width").getIntValue() : 0;
    const long long height = dict.getKey("/Height").isInteger() ? dict.getKey("/Height").getIntValue() : 0;
    const bool eightBits =
        dict.getKey("/BitsPerComponent").isInteger() && dict.getKey("/BitsPerComponent").getIntValue() == 8;
    const bool rgb = space.isNameAndEquals("/DeviceRGB");
    const bool grey = space.isNameAndEquals("/DeviceGray");
    if (!rgb && !space.isNameAndEquals("/DeviceCMYK") && !grey) {
        problems.add(Msg::printShopColourNotConverted());
        return std::nullopt;
    }
    if (!rgb && mask.isNull())
        return std::nullopt;
    // Far beyond any picture Qt writes for a card (PictureLimits allows 100
    // megapixels): larger sizes are refused before anything is multiplied.
    constexpr long long MaxSide = 1 << 16;
    if (!eightBits || width <= 0 || height <= 0 || width > MaxSide || height > MaxSide || (!rgb && !grey)) {
        problems.add(mask.isNull() ? Msg::printShopColourNotConverted() : Msg::printShopTransparency());
        return std::nullopt;
    }
    PictureJob job;
    job.image = image;
    job.pixels = std::size_t(width) * std::size_t(height);
    job.components = rgb ? 3 : 1;
    job.samples = decoded(image, job.pixels * std::size_t(job.components));
    if (!mask.isNull()) {
        QPDFObjectHandle maskDict = mask.isStream() ? mask.getDict() : QPDFObjectHandle::newNull();
        const bool matches =
            maskDict.isDictionary() && maskDict.getKey("/Width").isInteger()
            && maskDict.getKey("/Width").getIntValue() == width && maskDict.getKey("/Height").isInteger()
            && maskDict.getKey("/Height").getIntValue() == height && maskDict.getKey("/BitsPerComponent").isInteger()
            && maskDict.getKey("/BitsPerComponent").getIntValue() == 8;
        job.alpha = matches ? decoded(mask, job.pixels) : nullptr;
        if (!job.alpha) {
            problems.add(Msg::printShopTransparency());
            return std::nullopt;
        }
    }
    if (!job.samples) {
        problems.add(Msg::printShopColourNotConverted());
        return std::nullopt;
    }
    return job;
}

QPDFObjectHandle box(const QRectF &rect)
{
    return QPDFObjectHandle::newArray(
        {QPDFObjectHandle::newReal(rect.left(), BoxDecimals), QPDFObjectHandle::newReal(rect.top(), BoxDecimals),
         QPDFObjectHandle::newReal(rect.right(), BoxDecimals), QPDFObjectHandle::newReal(rect.bottom(), BoxDecimals)});
}

std::string marksContent(const PrintShopLayout &layout)
{
    const std::vector<PrintShopLayout::Segment> segments = layout.markSegments();
    if (segments.empty())
        return {};
    std::string content = std::string("q ") + RegistrationName + " CS 1 SCN " + number(PrintShopLayout::MarkLineWidthPt)
                          + " w 0 J 0 j [] 0 d\n";
    for (const PrintShopLayout::Segment &s : segments)
        content += number(s.x1) + " " + number(s.y1) + " m " + number(s.x2) + " " + number(s.y2) + " l S\n";
    return content + "Q\n";
}

// Registration black: the Separation All, every plate at full.
QPDFObjectHandle registrationColour(QPDF &pdf)
{
    QPDFObjectHandle tint = QPDFObjectHandle::newDictionary();
    tint.replaceKey("/FunctionType", QPDFObjectHandle::newInteger(2));
    tint.replaceKey("/Domain", QPDFObjectHandle::parse("[0 1]"));
    tint.replaceKey("/C0", QPDFObjectHandle::parse("[0 0 0 0]"));
    tint.replaceKey("/C1", QPDFObjectHandle::parse("[1 1 1 1]"));
    tint.replaceKey("/N", QPDFObjectHandle::newInteger(1));
    return pdf.makeIndirectObject(
        QPDFObjectHandle::newArray({QPDFObjectHandle::newName("/Separation"), QPDFObjectHandle::newName("/All"),
                                    QPDFObjectHandle::newName("/DeviceCMYK"), tint}));
}

std::string pdfDate(const QDateTime &when)
{
    return when.toUTC().toString(QStringLiteral("'D:'yyyyMMddHHmmss")).toStdString() + "+00'00'";
}

// A drawing to convert: a page's content or a form's stream.
struct Drawing {
    QPDFObjectHandle target;
    bool isPage = false;
    std::string before;   // put around the converted drawing of a page
    std::string after;
    ContentJob job;
};

// Sets the page's boxes and resources and gives its drawings, to be converted.
void preparePage(QPDFPageObjectHelper &page, const PrintShopLayout &layout, QPDFObjectHandle registration,
                 Problems &problems, std::vector<Drawing> &drawings)
{
    QPDFObjectHandle object = page.getObjectHandle();
    QPDFObjectHandle resources = page.getAttribute("/Resources", false);
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        object.replaceKey("/Resources", resources);
    }
    // Qt draws from the top of a page it rounded to whole points: the
    // drawing is moved so that its top-left corner is the exact page's.
    QPDFObjectHandle drawnBox = page.getAttribute("/MediaBox", false);
    const double drawnTop =
        drawnBox.isArray() && drawnBox.getArrayNItems() == 4 ? numeric(drawnBox.getArrayItem(3), 0) : 0;
    const QSizeF pageSize = layout.pagePoints();
    Drawing drawing;
    drawing.target = object;
    drawing.isPage = true;
    drawing.before = "q 1 0 0 1 0 " + number(pageSize.height() - drawnTop) + " cm\n";
    drawing.after = "\nQ\n" + marksContent(layout);
    drawing.job.spaces = spacesOf(resources);
    drawing.job.drawn = contentOf([&page](Pipeline *p) { page.pipeContents(p); });
    drawings.push_back(std::move(drawing));
    if (layout.hasMarks()) {
        QPDFObjectHandle spaces = resources.getKey("/ColorSpace");
        if (!spaces.isDictionary()) {
            spaces = QPDFObjectHandle::newDictionary();
            resources.replaceKey("/ColorSpace", spaces);
        }
        spaces.replaceKey(RegistrationName, registration);
    }

    // Drawings of their own (form XObjects) get the same conversion.
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    if (xobjects.isDictionary()) {
        for (auto &entry : xobjects.ditems()) {
            // A name of its own: a lambda may not capture a structured binding before C++20.
            QPDFObjectHandle &xobject = entry.second;
            if (!xobject.isStream() || !xobject.getDict().getKey("/Subtype").isNameAndEquals("/Form"))
                continue;
            Drawing form;
            form.target = xobject;
            form.job.spaces = spacesOf(xobject.getDict().getKey("/Resources"));
            form.job.drawn = contentOf([&xobject](Pipeline *p) { xobject.pipeStreamData(p, 0, qpdf_dl_generalized); });
            drawings.push_back(std::move(form));
            checkStates(xobject.getDict().getKey("/Resources"), problems);
            checkFonts(xobject.getDict().getKey("/Resources"), problems);
        }
    }
    checkStates(resources, problems);
    checkFonts(resources, problems);

    QPDFObjectHandle group = object.getKey("/Group");
    if (group.isDictionary() && group.getKey("/S").isNameAndEquals("/Transparency"))
        object.removeKey("/Group");
    const QRectF media(QPointF(0, 0), pageSize);
    object.replaceKey("/MediaBox", box(media));
    object.replaceKey("/BleedBox", box(layout.bleedBoxPoints()));
    object.replaceKey("/TrimBox", box(layout.trimBoxPoints()));
    object.removeKey("/CropBox");
    object.removeKey("/ArtBox");
}

void putConverted(QPDF &pdf, Drawing &drawing, Problems &problems)
{
    for (const QString &problem : drawing.job.problems)
        problems.add(problem);
    if (drawing.isPage)
        drawing.target.replaceKey(
            "/Contents", QPDFObjectHandle::newStream(&pdf, drawing.before + drawing.job.converted + drawing.after));
    else
        drawing.target.replaceStreamData(drawing.job.converted, QPDFObjectHandle::newNull(),
                                         QPDFObjectHandle::newNull());
}

}   // namespace

std::optional<QByteArray> finish(const QByteArray &drawn, const PrintShopLayout &layout, const DocumentInfo &info,
                                 QStringList *problemList, QString *error, const Preparation &prepare)
{
    Problems problems(problemList);
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.setAttemptRecovery(false);
        pdf.processMemoryFile("drawn", drawn.constData(), size_t(drawn.size()));
        if (prepare && !prepare(pdf))
            return std::nullopt;
        QPDFObjectHandle registration = registrationColour(pdf);
        std::vector<PictureJob> pictures;
        std::set<QPDFObjGen> seen;
        std::vector<Drawing> drawings;
        for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            preparePage(page, layout, registration, problems, drawings);
            for (auto &[name, image] : page.getImages()) {
                if (!seen.insert(image.getObjGen()).second)
                    continue;
                if (std::optional<PictureJob> job = pictureJob(image, problems))
                    pictures.push_back(std::move(*job));
            }
        }
        // The drawings' colours and the pictures, on every core.
        QtConcurrent::blockingMap(drawings, [](Drawing &drawing) { convertContent(drawing.job); });
        for (Drawing &drawing : drawings)
            putConverted(pdf, drawing, problems);
        QtConcurrent::blockingMap(pictures, convertPicture);
        for (PictureJob &job : pictures) {
            QPDFObjectHandle dict = job.image.getDict();
            dict.removeKey("/SMask");
            if (job.components == 3)
                dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceCMYK"));
            job.image.replaceStreamData(job.deflated.toStdString(), QPDFObjectHandle::newName("/FlateDecode"),
                                        QPDFObjectHandle::newNull());
        }

        QPDFObjectHandle root = pdf.getRoot();
        root.removeKey("/Metadata");
        QPDFObjectHandle intent = QPDFObjectHandle::newDictionary();
        intent.replaceKey("/Type", QPDFObjectHandle::newName("/OutputIntent"));
        intent.replaceKey("/S", QPDFObjectHandle::newName("/GTS_PDFX"));
        intent.replaceKey("/OutputConditionIdentifier",
                          QPDFObjectHandle::newString(outputConditionIdentifier().toStdString()));
        intent.replaceKey("/OutputCondition", QPDFObjectHandle::newString("Japan Color 2001 Coated"));
        intent.replaceKey("/RegistryName", QPDFObjectHandle::newString(outputRegistry().toStdString()));
        intent.replaceKey("/Info", QPDFObjectHandle::newString("Japan Color 2001 Coated"));
        root.replaceKey("/OutputIntents", QPDFObjectHandle::newArray({intent}));

        const std::string date = pdfDate(info.created);
        QPDFObjectHandle docInfo = QPDFObjectHandle::newDictionary();
        docInfo.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(info.title.toStdString()));
        docInfo.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(Msg::programTitle().toStdString()));
        QPDFObjectHandle oldInfo = pdf.getTrailer().getKey("/Info");
        if (oldInfo.isDictionary() && oldInfo.hasKey("/Producer"))
            docInfo.replaceKey("/Producer", oldInfo.getKey("/Producer"));
        docInfo.replaceKey("/CreationDate", QPDFObjectHandle::newString(date));
        docInfo.replaceKey("/ModDate", QPDFObjectHandle::newString(date));
        docInfo.replaceKey("/Trapped", QPDFObjectHandle::newName("/False"));
        docInfo.replaceKey("/GTS_PDFXVersion", QPDFObjectHandle::newString("PDF/X-1a:2003"));
        pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(docInfo));

        QByteArray written;
        written.reserve(drawn.size());
        Pl_Function output("print shop", nullptr, [&written](const unsigned char *data, size_t length) {
            written.append(reinterpret_cast<const char *>(data), qsizetype(length));
        });
        QPDFWriter writer(pdf);
        writer.setOutputPipeline(&output);
        // Streams already compressed stay as they are; the new ones are compressed.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(true);
        writer.setObjectStreamMode(qpdf_o_disable);
        writer.forcePDFVersion("1.4");
        writer.setDeterministicID(true);
        writer.write();
        return written;
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return std::nullopt;
    }
}

}   // namespace PdfxFinish
