// The object-line codec, the kind tests, the default lines and the whole-line rebuilds.

#include "common/test_registry.h"
#include "model/default_lines.h"
#include "model/line_builder.h"
#include "model/object_kind.h"
#include "model/object_line.h"

#include <QTest>

using namespace morlo;

namespace {

const QString kEllipse =
    QStringLiteral("Ellipse,X=0,Y=0,W=80,H=40,Transp=255,BackgrColor=8978431,BorderColor=255,"
                   "BorderW=3,FillType=0,Radius=0,Angle=0,GradColor1=16777215,"
                   "GradColor2=16746700,Visible=1");
const QString kText =
    QStringLiteral("Text,X=0,Y=0,W=100,H=50,Transp=255,FName=Arial,FSize=36,FColor=16746496,"
                   "FBold=0,FItalic=0,FUnderline=0,FStrikeout=0,BorderColor=8930304,BorderW=2,"
                   "AutoSize=1,Fill=1,GradColor1=16777215,GradColor2=16746496,Angle=0,"
                   "Antialiasing=1,Visible=1,Spacing=1,Txt=Text");
const QString kBackground = QStringLiteral("Main Background,DeskTopColor=11184810,W=468,H=60,Delay=100,"
                                           "BackgrColor=16777215,AddGrad=0,Gradient=0,GradColor1=16777215,"
                                           "GradColor2=11184640,Loop=1,Transp=0,TrColor=0,MaxColors=256");
const QString kBorder =
    QStringLiteral("Border,W1=1,W2=4,AddBorders=0,OuterStyle=2,InnerStyle=1,Col1=16746496,"
                   "Col2=16767147,Col3=11033088");

} // namespace

class ObjectLineTests : public QObject {
    Q_OBJECT
private slots:
    void decodeInt_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("absent key") << kEllipse << "Nope" << 0;
        QTest::newRow("negative") << "Ellipse,X=-12,Y=0"
                                  << "X" << -12;
        QTest::newRow("not a number") << "Ellipse,X=abc,Y=3"
                                      << "X" << 0;
        QTest::newRow("empty value") << "Ellipse,X=,Y=3"
                                     << "X" << 0;
        QTest::newRow("empty last value") << "Ellipse,Y=3,X="
                                          << "X" << 0;
        QTest::newRow("digits then letters") << "Ellipse,X=12ab,Y=3"
                                             << "X" << 0;
        QTest::newRow("lone minus") << "Ellipse,X=-,Y=3"
                                    << "X" << 0;
        QTest::newRow("read from 8 characters") << "Ellipse,W=123456789,H=1"
                                                << "W" << 12345678;
        QTest::newRow("value at line end") << "Ellipse,Visible=1"
                                           << "Visible" << 1;
        QTest::newRow("comma inside the 8") << "Ellipse,W=12,H=34567"
                                            << "W" << 12;
        QTest::newRow("largest colour") << "Border,Col1=16777215"
                                        << "Col1" << 16777215;
        QTest::newRow("Size finds FSize") << kText << "Size" << 36;
        QTest::newRow("W before BorderW in Text") << kText << "W" << 100;
        QTest::newRow("W before BorderW in shape") << kEllipse << "W" << 80;
        QTest::newRow("Border has no W") << kBorder << "W" << 0;
        QTest::newRow("Fill not inside FillType") << kText << "Fill" << 1;
        QTest::newRow("FillType in a shape") << "Ellipse,FillType=3,Radius=0"
                                             << "FillType" << 3;
        QTest::newRow("Fill absent from shape") << "Ellipse,FillType=3,Radius=0"
                                                << "Fill" << 0;
        QTest::newRow("match inside earlier value") << "Text,FName=X=5,X=9"
                                                    << "X" << 5;
        QTest::newRow("case-sensitive") << "Ellipse,x=5,X=7"
                                        << "X" << 7;
    }
    void decodeInt() {
        QFETCH(QString, line);
        QFETCH(QString, key);
        QFETCH(int, expected);
        QCOMPARE(DecodeInt(line, key), expected);
    }

    void decodeStr_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("kind of background") << kBackground << ""
                                            << "Main Background";
        QTest::newRow("kind of rounded rectangle") << "Rounded Rectangle,X=0"
                                                   << ""
                                                   << "Rounded Rectangle";
        QTest::newRow("kind without comma") << "Border"
                                            << ""
                                            << "";
        QTest::newRow("absent key") << kEllipse << "FName"
                                    << "";
        QTest::newRow("middle field") << kText << "FName"
                                      << "Arial";
        QTest::newRow("file name to line end") << "Picture,X=0,Visible=1,FileName=logo.png"
                                               << "FileName"
                                               << "logo.png";
        QTest::newRow("escaped text stays escaped") << "Text,X=0,Txt=a=&#130;b"
                                                    << "Txt"
                                                    << "a=&#130;b";
        QTest::newRow("empty text") << "Text,X=0,Txt="
                                    << "Txt"
                                    << "";
    }
    void decodeStr() {
        QFETCH(QString, line);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(DecodeStr(line, key), expected);
    }

    void replaceValue_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QString movedX = kEllipse;
        movedX.replace("Ellipse,X=0,", "Ellipse,X=15,");
        QTest::newRow("first field") << kEllipse << "X="
                                     << "15" << movedX;
        QString hidden = kEllipse;
        hidden.chop(1);
        QTest::newRow("last field to line end") << kEllipse << "Visible="
                                                << "0" << hidden + "0";
        QTest::newRow("longer value") << "Ellipse,X=1,Y=2"
                                      << "X="
                                      << "-2000"
                                      << "Ellipse,X=-2000,Y=2";
        QTest::newRow("W= inside BorderW= is not reached") << "Text,W=100,BorderW=2"
                                                           << "W="
                                                           << "7"
                                                           << "Text,W=7,BorderW=2";
        QTest::newRow("absent key leaves line") << "Ellipse,X=1"
                                                << "Y="
                                                << "5"
                                                << "Ellipse,X=1";
    }
    void replaceValue() {
        QFETCH(QString, line);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(ReplaceValue(line, key, value), expected);
    }

    void textEscape_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("comma") << "a,b"
                               << "a=&#130;b"
                               << "a,b";
        QTest::newRow("two commas") << "a,b,c"
                                    << "a=&#130;b=&#130;c"
                                    << "a,b,c";
        QTest::newRow("typed marker reads as comma") << "=&#130;"
                                                     << "=&#130;"
                                                     << ",";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("line breaks become spaces") << "a\nb\r\nc"
                                                   << "a b  c"
                                                   << "a b  c";
    }
    void textEscape() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, readBack);
        QCOMPARE(EscapeText(typed), stored);
        const QString line = ReplaceText(kText, typed);
        QCOMPARE(line, kText.left(kText.indexOf("Txt=")) + "Txt=" + stored);
        QCOMPARE(DecodeText(line), readBack);
        // Every other field of the line reads as before.
        QCOMPARE(DecodeInt(line, "Spacing"), 1);
        QCOMPARE(DecodeStr(line, "FName"), QString("Arial"));
    }

    void replaceTextKeepsHeadAndAppendsWhenMissing() {
        const QString line = "Text,X=3,Txt=a=&#130;b";
        QCOMPARE(ReplaceText(line, "a,b,c"), QString("Text,X=3,Txt=a=&#130;b=&#130;c"));
        QCOMPARE(ReplaceText("Text,X=3", "hi"), QString("Text,X=3,Txt=hi"));
    }

    void kindTests_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("index");
        QTest::addColumn<ObjectKind>("renderer");
        QTest::addColumn<ObjectKind>("inspector");
        QTest::newRow("background at 0")
            << kBackground << 0 << ObjectKind::MainBackground << ObjectKind::MainBackground;
        QTest::newRow("background elsewhere")
            << kBackground << 3 << ObjectKind::None << ObjectKind::MainBackground;
        QTest::newRow("border") << kBorder << 4 << ObjectKind::Border << ObjectKind::Border;
        QTest::newRow("rectangle") << "Rectangle,X=0" << 1 << ObjectKind::Rectangle << ObjectKind::Rectangle;
        QTest::newRow("rounded") << "Rounded Rectangle,X=0" << 1 << ObjectKind::RoundedRectangle
                                 << ObjectKind::RoundedRectangle;
        QTest::newRow("ellipse") << kEllipse << 1 << ObjectKind::Ellipse << ObjectKind::Ellipse;
        QTest::newRow("polygon") << "Polygon,X=0" << 2 << ObjectKind::Polygon << ObjectKind::Polygon;
        QTest::newRow("text") << kText << 2 << ObjectKind::Text << ObjectKind::Text;
        QTest::newRow("picture") << "Picture,X=0" << 2 << ObjectKind::Picture << ObjectKind::Picture;
        QTest::newRow("unknown") << "Star,X=0" << 1 << ObjectKind::None << ObjectKind::None;
        QTest::newRow("lower case") << "ellipse,X=0" << 1 << ObjectKind::None << ObjectKind::None;
    }
    void kindTests() {
        QFETCH(QString, line);
        QFETCH(int, index);
        QFETCH(ObjectKind, renderer);
        QFETCH(ObjectKind, inspector);
        QCOMPARE(KindForRenderer(line, index), renderer);
        QCOMPARE(KindForInspector(line), inspector);
    }

    void defaultLines() {
        QCOMPARE(DefaultBackgroundLine(), kBackground);
        QCOMPARE(DefaultBorderLine(), kBorder);
        QCOMPARE(NewObjectLine(ObjectKind::Ellipse), kEllipse);
        QCOMPARE(NewObjectLine(ObjectKind::Text), kText);
        QString rectangle = kEllipse;
        rectangle.replace("Ellipse,", "Rectangle,");
        QCOMPARE(NewObjectLine(ObjectKind::Rectangle), rectangle);
        QString rounded = kEllipse;
        rounded.replace("Ellipse,", "Rounded Rectangle,").replace("Radius=0", "Radius=25");
        QCOMPARE(NewObjectLine(ObjectKind::RoundedRectangle), rounded);
        QString polygon = kEllipse;
        polygon.replace("Ellipse,", "Polygon,").replace("Radius=0", "Radius=4");
        QCOMPARE(NewObjectLine(ObjectKind::Polygon), polygon);
        QVERIFY(NewObjectLine(ObjectKind::Picture).isEmpty());
    }

    void newObjectCopiesTheObjectBelowOfItsKind() {
        const QString moved = "Ellipse,X=30,Y=-7,W=12,H=13,Transp=100,Visible=1";
        QCOMPARE(NewObjectLineAbove(ObjectKind::Ellipse, moved),
                 QString("Ellipse,X=0,Y=0,W=12,H=13,Transp=100,Visible=1"));
        QCOMPARE(NewObjectLineAbove(ObjectKind::Rectangle, moved), NewObjectLine(ObjectKind::Rectangle));
        // "Rectangle" does not begin "Rounded Rectangle".
        QCOMPARE(NewObjectLineAbove(ObjectKind::Rectangle, "Rounded Rectangle,X=5,Y=5"),
                 NewObjectLine(ObjectKind::Rectangle));
        QCOMPARE(NewObjectLineAbove(ObjectKind::Ellipse, kBackground), kEllipse);
    }

    void pictureLines_data() {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QString>("expected");
        const QString head = "Picture,X=0,Y=0,";
        const QString tail = ",Angle=0,Transp=255,Visible=1,FileName=p.png";
        QTest::newRow("larger both ways")
            << QSize(2000, 1500) << head + "W0=2000,H0=1500,W=100,H=100,AutoSize=0" + tail;
        QTest::newRow("smaller") << QSize(400, 30) << head + "W0=400,H0=30,W=400,H=30,AutoSize=1" + tail;
        QTest::newRow("wider only") << QSize(600, 40) << head + "W0=600,H0=40,W=600,H=40,AutoSize=1" + tail;
        QTest::newRow("equal size is small")
            << QSize(468, 60) << head + "W0=468,H0=60,W=468,H=60,AutoSize=1" + tail;
    }
    void pictureLines() {
        QFETCH(QSize, natural);
        QFETCH(QString, expected);
        QCOMPARE(NewPictureLine(natural, QSize(468, 60), "p.png"), expected);
    }

    void rebuildKeepsValuesAndDropsUnknownKeys() {
        QCOMPARE(BuildShapeLine(ObjectKind::Ellipse, DecodeShapeValues(kEllipse)), kEllipse);
        QCOMPARE(BuildTextLine(DecodeTextValues(kText)), kText);
        QCOMPARE(BuildBackgroundLine(DecodeBackgroundValues(kBackground)), kBackground);
        QCOMPARE(BuildBorderLine(DecodeBorderValues(kBorder)), kBorder);
        const QString picture = NewPictureLine(QSize(10, 20), QSize(468, 60), "a.png");
        QCOMPARE(BuildPictureLine(DecodePictureValues(picture)), picture);

        // A missing key is written as 0, an extra key is dropped, escaped text is carried over as stored.
        TextValues text = DecodeTextValues("Text,X=4,Extra=9,FName=Tahoma,Txt=a=&#130;b");
        QCOMPARE(text.x, 4);
        QCOMPARE(text.visible, 0);
        text.angle = 50;
        const QString rebuilt = BuildTextLine(text);
        QVERIFY(!rebuilt.contains("Extra"));
        QVERIFY(rebuilt.endsWith(",Angle=50,Antialiasing=0,Visible=0,Spacing=0,Txt=a=&#130;b"));
        QVERIFY(rebuilt.startsWith("Text,X=4,Y=0,W=0,H=0,Transp=0,FName=Tahoma,FSize=0,"));
    }

    void fontNameCannotBreakTheLine() {
        TextValues text = DefaultTextValues();
        text.fName = "Odd, Font";
        const QString line = BuildTextLine(text);
        QCOMPARE(DecodeStr(line, "FName"), QString("Odd  Font"));
        QCOMPARE(DecodeInt(line, "FSize"), 36);
    }
};

MORLO_TEST(ObjectLineTests)
#include "object_line_tests.moc"
