#include "tools/samplegen/laudo.h"

#include "reportfile/page_list.h"
#include "tools/samplegen/canvas.h"
#include "tools/samplegen/logo.h"

#include <memory>
#include <string>
#include <string_view>

namespace samplegen {

namespace {

using qrp::emf::Rgb;

constexpr int kPages = 3;
constexpr int32_t kLeft = 150;
constexpr int32_t kRight = 1950;
constexpr uint32_t kNavy = Rgb(20, 50, 110);
constexpr uint32_t kGray = Rgb(110, 110, 110);
constexpr uint32_t kLightGray = Rgb(242, 242, 242);
constexpr uint32_t kRuleGray = Rgb(190, 190, 190);
constexpr uint32_t kRed = Rgb(190, 20, 30);

const Font kSmall{Face::Arial, 75};
const Font kBody{Face::Arial, 90};
const Font kBodyBold{Face::Arial, 90, true};
const Font kMono{Face::CourierNew, 90};

enum class Flag { None, Low, High };

struct Row {
    std::u16string name;
    std::u16string result;
    std::u16string unit;
    std::u16string reference;
    Flag flag = Flag::None;
    bool heading = false;  // a group title across the table
};

struct Exam {
    std::u16string title;
    std::u16string material;
    std::vector<Row> rows;
};

Row Heading(std::u16string title) { return Row{std::move(title), u"", u"", u"", Flag::None, true}; }

void Header(SampleCanvas& c)
{
    c.Bitmap(kLeft, 110, 220, 220, LaboratoryLogo());
    c.Text(400, 190, Font{Face::Arial, 180, true}, u"Laboratório de Exemplo", Align::Left, kNavy);
    c.Text(400, 245, Font{Face::Arial, 100}, u"Análises Clínicas e Medicina Diagnóstica", Align::Left, kNavy);
    c.Text(400, 292, kSmall, u"Relatório de demonstração do qrpview — nomes e resultados fictícios");
    c.Text(400, 324, kSmall, u"Responsável técnica: Dra. Ana Beatriz Nogueira");
    c.Line(kLeft, 360, kRight, 360, 5, kNavy);
}

void Field(SampleCanvas& c, int32_t x, int32_t y, std::u16string_view label, std::u16string_view value, const Font& font = kBody)
{
    c.Text(x, y, kBodyBold, label);
    c.Text(x + RunWidth(Face::Arial, label, kBodyBold.EmSize()) + 15, y, font, value);
}

void PatientBox(SampleCanvas& c)
{
    c.Box({kLeft, 385, kRight, 595}, kLightGray, 3, kRuleGray);
    Field(c, 180, 435, u"Paciente:", u"MARIA JOSÉ DA CONCEIÇÃO SANTOS");
    Field(c, 1250, 435, u"Pedido:", u"2024.118.734-02", kMono);
    Field(c, 180, 485, u"Data de nascimento:", u"14/03/1968 (56 anos)");
    Field(c, 1250, 485, u"Sexo:", u"Feminino");
    Field(c, 180, 535, u"Médico solicitante:", u"Dr. João Antônio Pereira");
    Field(c, 1250, 535, u"Convênio:", u"Particular");
    Field(c, 180, 580, u"Coleta:", u"05/11/2024 às 07:42");
    Field(c, 1250, 580, u"Liberação:", u"05/11/2024 às 15:10");
}

void Footer(SampleCanvas& c, int page)
{
    c.Line(kLeft, 2815, kRight, 2815, 3, kNavy);
    c.Text(kLeft, 2858, kSmall, u"Laudo emitido em 05/11/2024 às 15:12. Os resultados devem ser interpretados pelo médico solicitante,", Align::Left, kGray);
    c.Text(kLeft, 2893, kSmall, u"considerando os dados clínicos do paciente. Este documento não tem validade sem a assinatura do responsável.", Align::Left, kGray);
    const std::u16string label = u"Página " + std::u16string(1, static_cast<char16_t>(u'0' + page)) + u" de " +
                                 std::u16string(1, static_cast<char16_t>(u'0' + kPages));
    c.Text(kRight, 2858, Font{Face::Arial, 90, true}, label, Align::Right, kNavy);
}

// A small triangle beside a result out of its reference range.
void FlagMark(SampleCanvas& c, int32_t x, int32_t baseline, Flag flag)
{
    const auto X = [](int32_t v) { return static_cast<int16_t>(v); };
    if (flag == Flag::High) {
        c.Polygon({{X(x), X(baseline)}, {X(x + 24), X(baseline)}, {X(x + 12), X(baseline - 26)}}, kRed);
    } else {
        c.Polygon({{X(x), X(baseline - 26)}, {X(x + 24), X(baseline - 26)}, {X(x + 12), X(baseline)}}, kRed);
    }
}

// The exam's title, material line and result table from top; returns the table's bottom.
int32_t ExamTable(SampleCanvas& c, const Exam& exam, int32_t top)
{
    constexpr int32_t kRow = 50;
    constexpr int32_t kResultRight = 1020;
    constexpr int32_t kUnit = 1090;
    constexpr int32_t kReference = 1390;
    c.Text(1050, top + 55, Font{Face::Arial, 120, true}, exam.title, Align::Center, kNavy);
    c.Text(1050, top + 100, Font{Face::Arial, 80, false, true}, exam.material, Align::Center, kGray);

    int32_t y = top + 125;
    c.Box({kLeft, y, kRight, y + kRow}, kNavy);
    const Font head{Face::Arial, 85, true};
    const uint32_t white = Rgb(255, 255, 255);
    c.Text(kLeft + 25, y + 34, head, u"Exame", Align::Left, white);
    c.Text(kResultRight, y + 34, head, u"Resultado", Align::Right, white);
    c.Text(kUnit, y + 34, head, u"Unidade", Align::Left, white);
    c.Text(kReference, y + 34, head, u"Valores de referência", Align::Left, white);
    const int32_t tableTop = y;
    y += kRow;
    for (size_t i = 0; i < exam.rows.size(); ++i) {
        const Row& r = exam.rows[i];
        if (r.heading) {
            c.Box({kLeft, y, kRight, y + kRow}, Rgb(225, 232, 244));
            c.Text(kLeft + 25, y + 34, Font{Face::Arial, 85, true}, r.name, Align::Left, kNavy);
        } else {
            c.Text(kLeft + 45, y + 34, kBody, r.name);
            const bool out = r.flag != Flag::None;
            c.Text(kResultRight, y + 34, out ? kBodyBold : kBody, r.result, Align::Right, out ? kRed : kBlack);
            if (out) FlagMark(c, kResultRight + 18, y + 34, r.flag);
            c.Text(kUnit, y + 34, kBody, r.unit);
            c.Text(kReference, y + 34, kBody, r.reference, Align::Left, kGray);
        }
        y += kRow;
        // Rules between rows: a polyline on even rows, a line on odd ones, as generators mix them.
        if (i + 1 < exam.rows.size()) {
            if (i % 2 == 0) {
                c.Polyline({{static_cast<int16_t>(kLeft), static_cast<int16_t>(y)}, {static_cast<int16_t>(kRight), static_cast<int16_t>(y)}}, 2, kRuleGray);
            } else {
                c.Line(kLeft, y, kRight, y, 2, kRuleGray);
            }
        }
    }
    c.Line(kUnit - 30, tableTop, kUnit - 30, y, 2, kRuleGray);
    c.Line(kReference - 30, tableTop, kReference - 30, y, 2, kRuleGray);
    c.Frame({kLeft, tableTop, kRight, y}, 4, kNavy);
    return y;
}

Exam Hemograma()
{
    return Exam{u"HEMOGRAMA COMPLETO",
                u"Material: sangue total com EDTA — Método: automação por citometria de fluxo e impedância",
                {
                    Heading(u"ERITROGRAMA"),
                    {u"Hemácias", u"4,12", u"milhões/mm³", u"3,90 a 5,03"},
                    {u"Hemoglobina", u"11,6", u"g/dL", u"12,0 a 15,5", Flag::Low},
                    {u"Hematócrito", u"35,4", u"%", u"34,9 a 44,5"},
                    {u"VCM", u"85,9", u"fL", u"81,6 a 98,3"},
                    {u"HCM", u"28,2", u"pg", u"27,0 a 34,0"},
                    {u"CHCM", u"32,8", u"g/dL", u"31,5 a 36,0"},
                    {u"RDW", u"15,1", u"%", u"11,5 a 14,5", Flag::High},
                    Heading(u"LEUCOGRAMA"),
                    {u"Leucócitos", u"6.840", u"/mm³", u"3.500 a 10.500"},
                    {u"Neutrófilos", u"61,2", u"%", u"45,0 a 70,0"},
                    {u"Bastonetes", u"2,0", u"%", u"0,0 a 5,0"},
                    {u"Segmentados", u"59,2", u"%", u"45,0 a 65,0"},
                    {u"Eosinófilos", u"3,1", u"%", u"1,0 a 6,0"},
                    {u"Basófilos", u"0,6", u"%", u"0,0 a 2,0"},
                    {u"Linfócitos", u"28,4", u"%", u"20,0 a 40,0"},
                    {u"Monócitos", u"6,7", u"%", u"2,0 a 10,0"},
                    Heading(u"PLAQUETOGRAMA"),
                    {u"Plaquetas", u"248.000", u"/mm³", u"150.000 a 450.000"},
                    {u"VPM", u"9,8", u"fL", u"7,4 a 10,4"},
                }};
}

Exam Bioquimica()
{
    return Exam{u"BIOQUÍMICA E HORMÔNIOS",
                u"Material: soro e plasma fluoretado — Jejum de 12 horas — Métodos enzimáticos e quimioluminescência",
                {
                    Heading(u"GLICEMIA"),
                    {u"Glicose em jejum", u"104", u"mg/dL", u"70 a 99", Flag::High},
                    {u"Hemoglobina glicada (HbA1c)", u"5,8", u"%", u"inferior a 5,7", Flag::High},
                    Heading(u"PERFIL LIPÍDICO"),
                    {u"Colesterol total", u"212", u"mg/dL", u"desejável: inferior a 190", Flag::High},
                    {u"HDL-colesterol", u"58", u"mg/dL", u"superior a 40"},
                    {u"LDL-colesterol (calculado)", u"128", u"mg/dL", u"conforme risco cardiovascular"},
                    {u"Triglicerídeos", u"131", u"mg/dL", u"inferior a 150"},
                    Heading(u"FUNÇÃO RENAL E HEPÁTICA"),
                    {u"Creatinina", u"0,82", u"mg/dL", u"0,50 a 1,10"},
                    {u"Ureia", u"31", u"mg/dL", u"15 a 45"},
                    {u"TGO (AST)", u"22", u"U/L", u"até 32"},
                    {u"TGP (ALT)", u"19", u"U/L", u"até 33"},
                    Heading(u"TIREOIDE"),
                    {u"TSH", u"2,41", u"µUI/mL", u"0,45 a 4,50"},
                    {u"T4 livre", u"1,12", u"ng/dL", u"0,70 a 1,80"},
                }};
}

Exam Urina()
{
    return Exam{u"URINA TIPO I (EAS)",
                u"Material: urina de jato médio, primeira micção — Método: tira reativa e microscopia",
                {
                    Heading(u"EXAME FÍSICO E QUÍMICO"),
                    {u"Cor", u"amarelo-citrino", u"", u"amarelo-citrino"},
                    {u"Densidade", u"1,018", u"", u"1,005 a 1,030"},
                    {u"pH", u"6,0", u"", u"5,0 a 7,5"},
                    {u"Proteínas", u"negativo", u"", u"negativo"},
                    {u"Glicose", u"negativo", u"", u"negativo"},
                    Heading(u"SEDIMENTOSCOPIA"),
                    {u"Leucócitos", u"8.000", u"/mL", u"até 10.000"},
                    {u"Hemácias", u"14.000", u"/mL", u"até 10.000", Flag::High},
                    {u"Células epiteliais", u"raras", u"", u"raras"},
                }};
}

void Notes(SampleCanvas& c, int32_t top)
{
    const Font serif{Face::TimesNewRoman, 100};
    const Font serifBold{Face::TimesNewRoman, 100, true};
    c.Text(kLeft, top, serifBold, u"Observações");
    const std::u16string lines[] = {
        u"1. Valores de referência para adultos do sexo feminino, conforme a metodologia empregada.",
        u"2. Resultados assinalados em vermelho estão fora do intervalo de referência.",
        u"3. Hemácias na urina: recomenda-se repetir o exame fora do período menstrual.",
        u"4. Glicemia e hemoglobina glicada compatíveis com pré-diabetes (critérios da SBD).",
    };
    int32_t y = top + 50;
    for (const auto& line : lines) {
        c.Text(kLeft + 20, y, serif, line);
        y += 45;
    }
}

void Signature(SampleCanvas& c)
{
    c.Ellipse({560, 2440, 900, 2700}, 4, kNavy);
    c.Text(730, 2560, Font{Face::Arial, 110, true}, u"CONFERIDO", Align::Center, kNavy);
    c.Text(730, 2610, Font{Face::Arial, 70}, u"05/11/2024", Align::Center, kNavy);
    c.Line(1150, 2620, 1850, 2620, 3);
    c.Text(1500, 2670, kBodyBold, u"Dra. Ana Beatriz Nogueira", Align::Center);
    c.Text(1500, 2712, kBody, u"Farmacêutica-Bioquímica", Align::Center);
    c.Text(1500, 2752, Font{Face::Arial, 75, false, true}, u"Documento assinado eletronicamente", Align::Center, kGray);
}

std::vector<uint8_t> Page(int number)
{
    using namespace std::string_view_literals;
    SampleCanvas c(u"Laboratório de Exemplo\0Laudo de exames"sv);
    Header(c);
    PatientBox(c);
    if (number == 1) {
        ExamTable(c, Hemograma(), 620);
    } else if (number == 2) {
        ExamTable(c, Bioquimica(), 620);
    } else {
        const int32_t bottom = ExamTable(c, Urina(), 620);
        Notes(c, bottom + 90);
        Signature(c);
    }
    Footer(c, number);
    return c.Finish();
}

}  // namespace

std::vector<std::vector<uint8_t>> LaudoPages()
{
    std::vector<std::vector<uint8_t>> pages;
    for (int p = 1; p <= kPages; ++p) pages.push_back(Page(p));
    return pages;
}

std::vector<uint8_t> LaudoReport(bool compressed)
{
    qrp::TQRPageList list;
    list.SetStream(std::make_shared<qrp::TQRStream>(250000));
    list.SetCompression(compressed);
    for (std::vector<uint8_t>& bytes : LaudoPages()) {
        qrp::TMetafile page;
        page.SetHandle(qrp::emf::SetEnhMetaFileBits(std::move(bytes)));
        list.AddPage(page);
    }
    list.Finish();
    qrp::TMemoryStream out;
    list.SaveToStream(out);
    return out.TakeBytes();
}

}  // namespace samplegen
