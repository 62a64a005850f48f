#pragma once

#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/VisitComparison.h"
#include "workbench/Workbench.h"

#include <QDialog>

#include <memory>

class QLabel;
class QTableWidget;
class ThicknessChartWidget;

// A measurement loaded beside the current one: its own workbench; its messages
// are kept, the reason of a failed load is LastError.
class LoadedVisit
{
public:
    LoadedVisit();
    bool Load(const QString& path);
    const QString& LastError() const { return m_error; }
    Workbench& Bench() { return m_workbench; }

private:
    class KeepingPrompt : public DefaultAnswerPrompt
    {
    public:
        void ShowMessage(const QString&) override { }
        void ShowInformation(const QString&, const QString&) override { }
    };
    KeepingPrompt m_prompt;
    Workbench m_workbench;
    QString m_error;
};

// "Verlauf vergleichen ...": the current measurement and a second visit side by
// side: both marked pictures at the same scale, the table of figures with their
// changes and 95 % intervals, the area warning, and both thickness distributions
// overlaid; "Drucken..." prints the follow-up report through the report library.
class TFormCompare : public QDialog
{
public:
    TFormCompare(Workbench& first, std::unique_ptr<LoadedVisit> second, const QString& firstName,
        const QString& secondName, QWidget* parent = nullptr);
    ~TFormCompare() override;

    const VisitComparison::Comparison& Comparison() const { return m_comparison; }
    QTableWidget* Table() const { return m_table; }
    ThicknessChartWidget* Chart() const { return m_chart; }
    QLabel* Picture(int visit) const { return visit == 0 ? m_picture1 : m_picture2; }
    QLabel* AreaWarning() const { return m_warning; }
    void PrintCommand();

    // Display widths of two pictures at one scale: `scale1` and `scale2` are the
    // length of one picture pixel, both fitted into `box`. Without a usable
    // calibration each picture is fitted on its own.
    static std::pair<QSize, QSize> SameScaleSizes(
        QSize picture1, double scale1, QSize picture2, double scale2, QSize box);

private:
    Workbench& m_first;
    std::unique_ptr<LoadedVisit> m_second;
    VisitComparison::Comparison m_comparison;
    QLabel* m_picture1 = nullptr;
    QLabel* m_picture2 = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_warning = nullptr;
    ThicknessChartWidget* m_chart = nullptr;
};
