#include "workbench/hostexchange/TInterfaceBA.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using TestSupport::CrLf;
using TestSupport::TempDir;

namespace {

// A program folder with a camera table, and a place for exchange files.
class TInterfaceBATest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        programDir = dir.Path("program/");
        QDir().mkpath(programDir);
        QFile cameras(programDir + "Camera.ini");
        ASSERT_TRUE(cameras.open(QIODevice::WriteOnly));
        cameras.write(CrLf({ "[DermaCam 50]", "Pp100MM=15230", "ExclusionCircleRadiusInPixel=700",
            "ExclusionCircleX0InPixel=800", "ExclusionCircleY0InPixel=600", "[Empty]" }));
    }

    QString Exchange(const QStringList& lines) { return dir.Write("exchange.ini", CrLf(lines)); }

    TempDir dir;
    QString programDir;
};

} // namespace

TEST_F(TInterfaceBATest, Construct_HasTheInitialValues)
{
    const TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
    EXPECT_EQ(exchange.GetMode(), TInterfaceBA::miReceive);
    EXPECT_EQ(exchange.Count(), 0);
    EXPECT_TRUE(exchange.StoppAtEnd);
    EXPECT_TRUE(exchange.ResultRequest);
    EXPECT_FALSE(exchange.Automatic);
    EXPECT_EQ(exchange.ResultImageDirectory, programDir);
    EXPECT_EQ(exchange.ResultFile, programDir + "result.txt");
    EXPECT_EQ(exchange.ResultFileDetail, programDir + "detail.txt");
    EXPECT_EQ(exchange.ResultFileDB, QString());
    EXPECT_EQ(exchange.ImageRecord(0).Pp100MM, -1);
}

TEST_F(TInterfaceBATest, Sectioned_ReadsEveryFieldAndTwoRecords)
{
    TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
    ASSERT_TRUE(exchange.Read(Exchange({
        "[General]",
        "Sender=DermaHost",
        "Receiver=Pelorix",
        "Count=2",
        "[Image0]",
        "Image=C:\\pics\\a.jpg",
        "ResultFileDB=db0",
        "Date=01.02.2026",
        "Time=10:11",
        "Pp100MM=15230",
        "ExclusionCircleRadiusInPixel=500",
        "ExclusionCircleX0InPixel=640",
        "ExclusionCircleY0InPixel=480",
        "[Subject0]",
        "Name=Müller",
        "Firstname=Jürgen",
        "Birthdate=1970-03-04",
        "[image1]",
        "image=b.jpg",
        "[Analysis]",
        "Automatic=1",
        "Result=7",
        "StoppAtEnd=0",
        "ResultRequest=0",
        "ResultFileAppend=-1",
        "ResultImageDirectory=C:\\out\\\\",
        "ResultFile=out.txt",
        "ResultFileDetail=D:\\r\\detail.txt",
        "ResultFileDB=db.txt",
        "[Additional]",
        "Add0Name=MeasureResultsFile",
        "Add0Value=C:\\m.nvm",
        "Add1Name=Operator",
        "Add1Value=A. B.",
    }))) << exchange.ErrorString().toStdString();
    EXPECT_FALSE(exchange.IsRecordDialect());
    EXPECT_EQ(exchange.Sender, QStringLiteral("DermaHost"));
    EXPECT_EQ(exchange.Receiver, QStringLiteral("Pelorix"));
    ASSERT_EQ(exchange.Count(), 2);

    const structImage image = exchange.ImageRecord(0);
    EXPECT_EQ(image.Image, QStringLiteral("C:\\pics\\a.jpg"));
    EXPECT_EQ(image.ResultFileDB, QStringLiteral("db0"));
    EXPECT_EQ(image.Date, QStringLiteral("01.02.2026"));
    EXPECT_EQ(image.Time, QStringLiteral("10:11"));
    EXPECT_EQ(image.Pp100MM, 15230);
    EXPECT_EQ(image.ExclusionCircleRadiusInPixel, 500);
    EXPECT_EQ(image.ExclusionCircleX0InPixel, 640);
    EXPECT_EQ(image.ExclusionCircleY0InPixel, 480);
    const structSubject subject = exchange.SubjectRecord(0);
    EXPECT_EQ(subject.Name, QStringLiteral("Müller"));
    EXPECT_EQ(subject.Firstname, QStringLiteral("Jürgen"));
    EXPECT_EQ(subject.Birthdate, QStringLiteral("1970-03-04"));

    // A record whose keys are absent gets the file defaults (0), not the initial -1.
    EXPECT_EQ(exchange.ImageRecord(1).Image, QStringLiteral("b.jpg"));
    EXPECT_EQ(exchange.ImageRecord(1).Pp100MM, 0);
    EXPECT_EQ(exchange.SubjectRecord(1).Name, QString());

    EXPECT_TRUE(exchange.Automatic);
    EXPECT_TRUE(exchange.Result);
    EXPECT_FALSE(exchange.ResultDetail);
    EXPECT_FALSE(exchange.StoppAtEnd);
    EXPECT_FALSE(exchange.ResultRequest);
    EXPECT_TRUE(exchange.ResultFileAppend);
    EXPECT_EQ(exchange.ResultImageDirectory, QStringLiteral("C:\\out\\\\"));
    EXPECT_EQ(exchange.ResultFile, programDir + "out.txt");
    EXPECT_EQ(exchange.ResultFileDetail, QStringLiteral("D:\\r\\detail.txt"));
    EXPECT_EQ(exchange.ResultFileDB, programDir + "db.txt");
    EXPECT_EQ(exchange.AdditionalValue("MeasureResultsFile"), QStringLiteral("C:\\m.nvm"));
    EXPECT_EQ(exchange.AdditionalValue("measureresultsfile"), QString()); // names compare with case
    EXPECT_EQ(exchange.AdditionalNames(), (QStringList { "MeasureResultsFile", "Operator" }));
}

TEST_F(TInterfaceBATest, Sectioned_PathRulesAndAdditionalGap)
{
    TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
    ASSERT_TRUE(exchange.Read(Exchange({ "[General]", "Count=1", "[Analysis]", "ResultImageDirectory=/data/out",
        "ResultFile=/data/r.txt", "[Additional]", "Add0Name=A", "Add0Value=1", "Add2Name=C", "Add2Value=3" })));
    EXPECT_EQ(exchange.ResultImageDirectory, QStringLiteral("/data/out/"));
    EXPECT_EQ(exchange.ResultFile, QStringLiteral("/data/r.txt"));
    EXPECT_EQ(exchange.ResultFileDetail, programDir + "detail.txt");
    EXPECT_EQ(exchange.ResultFileDB, QString()); // an empty path stays empty
    EXPECT_EQ(exchange.AdditionalNames(), QStringList { "A" });
    EXPECT_EQ(exchange.AdditionalValue("C"), QString());
}

TEST_F(TInterfaceBATest, Sectioned_WithoutPictureRecord_FailsWithReason)
{
    const struct
    {
        QStringList lines;
        const char* reason;
    } cases[] = {
        { { "[General]", "Sender=x" }, "key Count is missing in section [General]" },
        { { "[General]", "Count=0" }, "[General] Count=0 must be 1 or more" },
        { { "[General]", "Count=-3" }, "[General] Count=-3 must be 1 or more" },
        { { "[General]", "Count=two" }, "[General] Count=two must be 1 or more" },
        { { "[General]", "Count=2000000000" }, "Count=2000000000 is more picture records than" },
    };
    for (const auto& c : cases) {
        TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
        EXPECT_FALSE(exchange.Read(Exchange(c.lines)));
        EXPECT_TRUE(exchange.ErrorString().contains(c.reason)) << exchange.ErrorString().toStdString();
        EXPECT_EQ(exchange.Count(), 0);
    }
}

TEST_F(TInterfaceBATest, Read_MissingFileAfterGoodRead_LeavesNoStaleCount)
{
    TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
    ASSERT_TRUE(exchange.Read(Exchange({ "[General]", "Count=1", "[Image0]", "Image=a.jpg" })));
    EXPECT_FALSE(exchange.Read(dir.Path("gone.ini")));
    EXPECT_TRUE(exchange.ErrorString().contains("does not exist"));
    EXPECT_EQ(exchange.Count(), 0);
    EXPECT_EQ(exchange.ImageRecord(0).Image, QString());
}

TEST_F(TInterfaceBATest, RecordDialect_UsesCameraTable)
{
    TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
    ASSERT_TRUE(exchange.Read(
        Exchange({ "[RecordData]", "Cameratype=dermacam 50", "filename=/p/x.bmp", "Aufnahmedatum=3.4.2026", "Name=Weiß",
            "Vorname=Anna", "Geburtsdatum=1.1.1980", "[General]", "Count=5", "Sender=ignored" })));
    EXPECT_TRUE(exchange.IsRecordDialect());
    ASSERT_EQ(exchange.Count(), 1);
    const structImage image = exchange.ImageRecord(0);
    EXPECT_EQ(image.Image, QStringLiteral("/p/x.bmp"));
    EXPECT_EQ(image.Date, QStringLiteral("3.4.2026"));
    EXPECT_EQ(image.Time, QString());
    EXPECT_EQ(image.Pp100MM, 15230);
    EXPECT_EQ(image.ExclusionCircleRadiusInPixel, 700);
    EXPECT_EQ(image.ExclusionCircleX0InPixel, 800);
    EXPECT_EQ(image.ExclusionCircleY0InPixel, 600);
    EXPECT_EQ(exchange.SubjectRecord(0).Name, QStringLiteral("Weiß"));
    EXPECT_EQ(exchange.SubjectRecord(0).Firstname, QStringLiteral("Anna"));
    EXPECT_EQ(exchange.SubjectRecord(0).Birthdate, QStringLiteral("1.1.1980"));
    EXPECT_EQ(exchange.Sender, QString());
    EXPECT_TRUE(exchange.StoppAtEnd);
}

TEST_F(TInterfaceBATest, RecordDialect_UnknownOrEmptyCameraType_GivesZeroCalibration)
{
    for (const QString& type : { QStringLiteral("Unknown"), QString(), QStringLiteral("Empty") }) {
        TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
        ASSERT_TRUE(exchange.Read(Exchange({ "[RecordData]", "Cameratype=" + type, "filename=x.jpg" })));
        const structImage image = exchange.ImageRecord(0);
        EXPECT_EQ(image.Pp100MM, 0) << type.toStdString();
        EXPECT_EQ(image.ExclusionCircleRadiusInPixel, 0);
        EXPECT_EQ(image.ExclusionCircleX0InPixel, 0);
        EXPECT_EQ(image.ExclusionCircleY0InPixel, 0);
    }
    QFile::remove(programDir + "Camera.ini");
    TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
    ASSERT_TRUE(exchange.Read(Exchange({ "[RecordData]", "Cameratype=DermaCam 50" })));
    EXPECT_EQ(exchange.ImageRecord(0).Pp100MM, 0);
}

TEST_F(TInterfaceBATest, RecordDataWithoutKeys_IsReadAsSectionedDialect)
{
    TInterfaceBA exchange(TInterfaceBA::miReceive, programDir);
    ASSERT_TRUE(exchange.Read(Exchange({ "[RecordData]", "", "[General]", "Count=1", "[Image0]", "Image=s.jpg" })));
    EXPECT_FALSE(exchange.IsRecordDialect());
    EXPECT_EQ(exchange.ImageRecord(0).Image, QStringLiteral("s.jpg"));
}
