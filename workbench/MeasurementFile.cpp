// The measurement commands of MeasurementFile: clearing, saving and loading
// measurement files and rebuilding the workbench from a loaded canvas.
#include "workbench/MeasurementFile.h"

#include "canvas/TMyLine.h"
#include "common/Cp1252.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ShapeTags.h"
#include "workbench/Workbench.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The patient rows travel with the measurement in the drawing's own user data, so
// a report printed from a reloaded measurement names its patient.
struct PatientKey
{
    int row;
    const char* key;
};
constexpr PatientKey kPatientKeys[]
    = { { RowName, "PatientName" }, { RowBirthdate, "PatientBirthdate" }, { RowDate, "ImageDate" } };

// A patient row without text shows "-".
bool Unfilled(const QString& text)
{
    return text.isEmpty() || text == QLatin1String("-");
}

// The measurement file keeps its texts in Windows-1252: characters the code page
// lacks ("Ł", "ř", "ş") are kept as "&#321;", and a literal "&#" as "&#38;#".
QString EscapedForCodePage(const QString& text)
{
    QString out;
    const QList<uint> codes = text.toUcs4();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const uint code = codes[i];
        const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        const bool literalEscape = code == '&' && i + 1 < codes.size() && codes[i + 1] == '#';
        if (literalEscape || !Cp1252::CanEncode(character))
            out += QStringLiteral("&#%1;").arg(code);
        else
            out += character;
    }
    return out;
}

QString Unescaped(const QString& text)
{
    static const QRegularExpression escape(QStringLiteral("&#(\\d{1,7});"));
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const uint code = match.captured(1).toUInt();
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            continue;
        const char32_t c = code;
        out += text.mid(from, match.capturedStart() - from) + QString::fromUcs4(&c, 1);
        from = match.capturedEnd();
    }
    return out + text.mid(from);
}

void StorePatient(TMyCAD& cad, const std::vector<TGridResult>& rows, bool missing)
{
    for (const PatientKey& patient : kPatientKeys) {
        const QString key = QLatin1String(patient.key);
        const QString text = EscapedForCodePage(rows[size_t(patient.row)].text);
        if (missing || Unfilled(text))
            cad.UserData().Delete(key);
        else if (!cad.UserData().SetValue(key, text))
            cad.UserData().Add(key, text);
    }
}

// A measurement carries its own patient: the rows show the file's texts, and a
// file without any says so instead of keeping another patient's name.
void LoadPatient(const TMyCAD& cad, std::vector<TGridResult>& rows, WorkbenchState& state, const LanguageTable& texts)
{
    bool any = false;
    for (const PatientKey& patient : kPatientKeys) {
        const QString key = QLatin1String(patient.key);
        const QString text = Unescaped(cad.UserData().GetValue(key));
        any = any || !Unfilled(text);
        rows[size_t(patient.row)].text = Unfilled(text) ? QStringLiteral("-") : text;
    }
    state.PatientDataMissing = !any;
    if (!any)
        rows[RowName].text = texts.Text(QStringLiteral("MessageNoPatientData"));
}

int TruncatedCoordinate(float value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::clamp(std::trunc(double(value)), -1073741824.0, 1073741823.0));
}

} // namespace

const QString MeasurementFile::kMeasurementFilter = QStringLiteral("Norvane Measure (*.nvm)|*.nvm");

bool MeasurementFile::Fail(const QString& message, const QString& reason)
{
    m_lastError = reason;
    m_wb.Prompt().ShowMessage(message);
    return false;
}

std::optional<BorderCircle> MeasurementFile::CircleOfBorder(const TMyShape* border)
{
    if (border == nullptr || border->Nodes().size() < 3)
        return std::nullopt;
    const auto& nodes = border->Nodes();
    const int x0 = TruncatedCoordinate(nodes[0].x);
    const int x1 = TruncatedCoordinate(nodes[1].x);
    const int y0 = TruncatedCoordinate(nodes[0].y);
    const int y2 = TruncatedCoordinate(nodes[2].y);
    // Integer division rounds toward zero, as the halving must.
    return BorderCircle { (x0 + x1) / 2, (y0 + y2) / 2, (x1 - x0) / 2 };
}

void MeasurementFile::ClearMeasurement()
{
    TMyCAD& cad = m_wb.Canvas();
    std::vector<int> ids;
    for (const ResultTree::Entry& entry : m_wb.Tree().Entries()) {
        const int id = entry.node.shapeId;
        const TMyShape* shape = cad.ShapeById(id);
        if (shape != nullptr && shape->UserData().GetValue(ShapeTags::kType) != ShapeTags::kScaleBar)
            ids.push_back(id);
    }
    // One pass and one undo step: the entries go with their shapes, the results are
    // recomputed once. A locked mark stays (and is reported, as it always was).
    m_wb.BeginDeleteBatch();
    for (int locked = cad.DeleteShapesById(ids, true); locked > 0; --locked)
        m_wb.Prompt().ShowMessage(QStringLiteral("Internal error # main:1743"));
    m_wb.EndDeleteBatch();
    cad.Refresh();
}

void MeasurementFile::NewMeasurement()
{
    const LanguageTable& texts = m_wb.Texts();
    if (m_wb.Prompt().AskYesNo(texts.Text(QStringLiteral("MessageNewMeasurement")),
            texts.Text(QStringLiteral("MessageNewMeasurementWarn")))) {
        ClearMeasurement();
        // Undo only ever takes back the operator's edits of this measurement.
        m_wb.Canvas().UndoList().Clear();
    }
}

bool MeasurementFile::SaveMeasurementCommand(bool withPicture)
{
    const auto path = m_wb.Prompt().AskFileName(
        { m_wb.Texts().Text(QStringLiteral("FilterMeasurement")), QStringLiteral("nvm"), true });
    if (!path)
        return false;
    return SaveMeasurement(*path, withPicture);
}

bool MeasurementFile::SaveMeasurement(const QString& path, bool withPicture)
{
    TMyCAD& cad = m_wb.Canvas();
    StorePatient(cad, m_wb.ResultRows(), m_wb.State().PatientDataMissing);
    bool saved = false;
    if (withPicture) {
        saved = cad.SaveToFile(path);
    } else {
        // The picture is shared, not copied: taking it off and putting it back is cheap.
        const QImage picture = cad.BkBitmap();
        cad.SetBkBitmap(QImage());
        saved = cad.SaveToFile(path);
        cad.SetBkBitmap(picture);
    }
    // The canvas writes atomically, so a failed save leaves the old file as it was.
    if (!saved) {
        const QString reason = path + QStringLiteral(": cannot be written (") + cad.LastError() + QLatin1Char(')');
        return Fail(reason, reason);
    }
    return true;
}

bool MeasurementFile::WriteMeasurement(QIODevice& device, bool withPicture)
{
    TMyCAD& cad = m_wb.Canvas();
    StorePatient(cad, m_wb.ResultRows(), m_wb.State().PatientDataMissing);
    if (withPicture)
        return cad.SaveToStream(device);
    const QImage picture = cad.BkBitmap();
    cad.SetBkBitmap(QImage());
    const bool written = cad.SaveToStream(device);
    cad.SetBkBitmap(picture);
    return written;
}

bool MeasurementFile::ConfirmDiscard()
{
    if (m_wb.Tree().Empty())
        return true;
    const LanguageTable& texts = m_wb.Texts();
    if (!m_wb.Prompt().AskOkCancel(
            texts.Text(QStringLiteral("MessageLoadMFile")), texts.Text(QStringLiteral("MessageLoadDelete"))))
        return false;
    ClearMeasurement();
    return true;
}

bool MeasurementFile::LoadMeasurementCommand()
{
    if (!ConfirmDiscard())
        return false;
    const auto path = m_wb.Prompt().AskFileName(
        { m_wb.Texts().Text(QStringLiteral("FilterMeasurement")), QStringLiteral("nvm"), false });
    if (!path)
        return false;
    return LoadMeasurement(*path);
}

void MeasurementFile::TakeOverScaleBar(TMyShape* bar)
{
    WorkbenchState& state = m_wb.State();
    ScaleDialogModel& dialog = m_wb.Scale().Dialog();
    state.ScaleBarId = bar->ShapeId();
    dialog.SetScaleText(bar->UserData().GetValue(QStringLiteral("Scale")));
    state.UnitText = bar->UserData().GetValue(QStringLiteral("Unit"));
    TMyPen pen = bar->Pen();
    pen.width = 1;
    bar->SetPen(pen);
    const QString info = Calibration::BarInfoText(dialog.ScaleText().trimmed(), state.UnitText);
    if (auto* rule = dynamic_cast<TMyRuleLine*>(bar)) {
        rule->SetUserInfo(info);
        rule->SetShowUserInfo(true);
    } else {
        bar->SetInfo(info);
    }
    state.ui.showScaleBar = bar->Visible();
    dialog.SelectUnitText(state.UnitText);
    m_wb.Scale().ApplyScaleDialog(true);
}

bool MeasurementFile::LoadMeasurementResults(const QString& path, bool* hadPicture)
{
    m_resultsOnly = true;
    const bool loaded = LoadMeasurement(path);
    m_resultsOnly = false;
    if (hadPicture)
        *hadPicture = m_wb.Canvas().BkBitmap().width() > 0;
    return loaded;
}

bool MeasurementFile::LoadMeasurement(const QString& path)
{
    TMyCAD& cad = m_wb.Canvas();
    WorkbenchState& state = m_wb.State();
    // A file that is no canvas file changes nothing.
    if (!TMyCAD::IsCanvasFile(path))
        return Fail(QStringLiteral("Invalid file type"),
            path
                + (QFileInfo(path).isFile() ? QStringLiteral(": not a measurement file (no canvas file signature)")
                                            : QStringLiteral(": the file does not exist")));
    const QImage current = cad.BkBitmap();
    m_lastError.clear();
    const bool complete = cad.LoadFromFile(path);
    // What could be read stays on the canvas and is evaluated; the operator learns
    // that the file is damaged.
    if (!complete)
        Fail(QStringLiteral("Error loading measurement: ") + cad.LastError() + QStringLiteral(" [") + path
                + QLatin1Char(']'),
            path + QStringLiteral(": the measurement file is damaged (") + cad.LastError() + QLatin1Char(')'));
    // Entries, scale bar and border are kept by shape id: a damaged file's shapes
    // whose ids find nothing get fresh ones, or they would be drawn but never counted.
    cad.RenumberUnreachableShapes();
    // The canvas content was replaced: entries and ids of the old shapes must not
    // name shapes of the file that happen to carry the same ids.
    m_wb.Tree().Clear();
    state.ScaleBarId = -1;
    state.BorderId = -1;

    const QImage& loaded = cad.BkBitmap();
    m_loadedWithPicture = loaded.width() > 0;
    if (loaded.width() > 0) {
        cad.SetBkBitmapMode(Stretch);
        state.ImageLoaded = true;
        SetPictureStatus(QFileInfo(path).fileName(), loaded.width(), loaded.height());
    } else if (current.width() > 0) {
        // A measurement saved without picture is laid over the current picture.
        cad.SetBkBitmap(current);
        cad.SetBkBitmapMode(Stretch);
    }
    if (!state.ImageLoaded && m_resultsOnly && loaded.width() <= 0) {
        // The stand-in field reaches just past the farthest node of the drawing.
        double right = 0.0;
        double bottom = 0.0;
        for (int i = 0; i < cad.ShapeCount(); ++i)
            for (const TMyPoint& node : cad.ShapeByIndex(i)->Nodes()) {
                if (std::isfinite(node.x))
                    right = std::max(right, double(node.x));
                if (std::isfinite(node.y))
                    bottom = std::max(bottom, double(node.y));
            }
        // A damaged file's far-off node must not make a field of absurd size.
        constexpr double kLargest = 1 << 20;
        state.ImageLoaded = true;
        SetPictureStatus(
            QFileInfo(path).fileName(), int(std::min(right, kLargest)) + 1, int(std::min(bottom, kLargest)) + 1);
    }
    if (!state.ImageLoaded)
        return Fail(m_wb.Texts().Text(QStringLiteral("MessageImageRequired")),
            path + QStringLiteral(": the measurement holds no picture and no picture is loaded"));

    // Result entries and the scale bar; everything is evaluated once at the end.
    Workbench::DeferredRecompute deferred(m_wb);
    TMyShape* bar = nullptr;
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        TMyShape* shape = cad.ShapeByIndex(i);
        const QString type = shape->UserData().GetValue(ShapeTags::kType);
        if (type == ShapeTags::kScaleBar) {
            TakeOverScaleBar(shape);
            bar = shape;
        } else if (type != ShapeTags::kLabelOrBorder && type != ShapeTags::kProposal) {
            // Proposals of a detection stay proposals until accepted. Every entry is
            // evaluated once the drawing is complete (RecomputeAll below).
            m_wb.RegisterMeasuredShape(shape, false);
        }
    }
    if (bar != nullptr)
        m_wb.Scale().RecalibrateFromBar(bar);

    // The exclusion border is made again from its square, which counts the field anew.
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        TMyShape* border = cad.ShapeByIndex(i);
        if (border->Name() != ShapeTags::kBorderName)
            continue;
        const auto circle = CircleOfBorder(border);
        border->SetLocked(false);
        cad.DeleteShapeById(border->ShapeId(), true);
        if (circle && circle->Valid())
            m_wb.SetupEvaluatedField(circle->x0, circle->y0, circle->r);
        break;
    }

    // Every entry as after a change: emptied, expanded, the last one selected.
    ResultTree& tree = m_wb.Tree();
    for (int i = 0; i < tree.Count(); ++i) {
        tree.At(i).children.clear();
        tree.At(i).expanded = true;
    }
    if (tree.Count() > 0) {
        tree.ClearSelection();
        tree.SetSelected(tree.Count() - 1, true);
        tree.SetScrollTarget(tree.Count() - 1);
    }
    LoadPatient(cad, m_wb.ResultRows(), state, m_wb.Texts());
    m_wb.SetZoomSlider(state.ui.zoomPosition, {});
    m_wb.RecomputeAll();
    state.ui.zoomPosition = int(std::trunc(100 * std::log10(state.Zoom)));
    cad.Invalidate();
    state.BorderLayerId = cad.LayerIdByName(QStringLiteral("BorderLayer"));
    state.HairLayerId = cad.LayerIdByName(QStringLiteral("HairLayer"));
    // Rebuilding the border recorded steps that belong to the file, not to the operator.
    cad.UndoList().Clear();
    return complete;
}
