// The project document: new projects, frame insert, remove and reverse, navigation, and what the windows are
// told through the observer.

#include "common/test_registry.h"
#include "model/default_lines.h"
#include "model/frame_layers.h"
#include "model/frame_texts.h"
#include "model/object_line.h"
#include "model/project.h"
#include "model/untitled_name.h"

#include <QTest>

using namespace morlo;

namespace {

class RecordingObserver : public ProjectObserver {
public:
    QStringList events;
    QStringList frameList;
    QString caption;
    QStringList errors;

    void setNavigationEnabled(bool enabled) override { events << QStringLiteral("nav %1").arg(enabled); }
    void setStatusText(const QString& text) override { events << "status " + text; }
    void frameRebuildStarting() override { events << "rebuild"; }
    void frameRebuildFinished() override { events << "rebuilt"; }
    void setFrameList(const QStringList& entries, int selectedFrame) override {
        frameList = entries;
        events << QStringLiteral("list %1").arg(selectedFrame);
    }
    void setFrameSizeEditable(bool editable) override { events << QStringLiteral("size %1").arg(editable); }
    void showProperties() override { events << "properties"; }
    void setCaption(const QString& text) override { caption = text; }
    void showError(const QString& message) override { errors << message; }
};

// A frame told apart from the others by the Delay of its background; it holds one ellipse.
QStringList Frame(int id) {
    return {ReplaceValue(DefaultBackgroundLine(), "Delay=", id), NewObjectLine(ObjectKind::Ellipse),
            DefaultBorderLine()};
}

std::vector<QStringList> Frames(int count) {
    std::vector<QStringList> frames;
    for (int id = 1; id <= count; ++id) {
        frames.push_back(Frame(id));
    }
    return frames;
}

// Ids of the stored frames, the live frame stored first.
QList<int> FrameIds(Project& project) {
    project.StoreCurrentFrame();
    QList<int> ids;
    for (int n = 1; n <= project.FrameCount(); ++n) {
        ids << DecodeInt(project.Frames()[static_cast<size_t>(n)].value(0), "Delay");
    }
    return ids;
}

int ShownId(const Project& project) {
    return DecodeInt(project.IE1().layer(0).name, "Delay");
}

} // namespace

class ProjectTests : public QObject {
    Q_OBJECT
private slots:
    void untitledNumber_data() {
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<int>("expected");
        QTest::newRow("none open") << QStringList() << 1;
        QTest::newRow("gap") << QStringList{"/s/untitled-1.mrp", "/s/untitled-3.mrp"} << 2;
        QTest::newRow("any order, any folder") << QStringList{"/a/untitled-2.mrp", "/b/untitled-1.mrp"} << 3;
        QTest::newRow("case-sensitive") << QStringList{"/s/Untitled-1.mrp"} << 1;
        QTest::newRow("exact name only") << QStringList{"/s/untitled-1.mrp.bak", "/s/my-untitled-1.mrp"} << 1;
    }
    void untitledNumber() {
        QFETCH(QStringList, open);
        QFETCH(int, expected);
        QCOMPARE(UntitledNumber(open), expected);
    }

    void newProjectIsOneDefaultFrameAtThePlaceholderPath() {
        RecordingObserver windows;
        Project project(&windows);
        project.NewProject({"/home/u/untitled-1.mrp"}, "/opt/morlo/Samples");
        QCOMPARE(project.FileName(), QString("/opt/morlo/Samples/untitled-2.mrp"));
        QVERIFY(project.IsNew());
        QVERIFY(!project.Modified());
        QCOMPARE(project.FrameCount(), 1);
        QCOMPARE(project.CurrentFrame(), 1);
        QCOMPARE(project.Frames().size(), size_t(2));
        QVERIFY(project.Frames()[0].isEmpty());
        const QStringList expected{DefaultBackgroundLine(), DefaultBorderLine()};
        QCOMPARE(project.Frames()[1], expected);
        QCOMPARE(project.IE1().count(), 2);
        QCOMPARE(project.IE1().layer(0).name, expected[0]);
        QCOMPARE(project.IE1().layer(1).name, expected[1]);
        QCOMPARE(project.IE1().currentLayer(), 0);
    }

    void showFrameTellsTheWindowsInOrder() {
        RecordingObserver windows;
        Project project(&windows);
        project.LoadFrames(Frames(3), "/p/banner.mrp");
        windows.events.clear();
        project.ShowFrame(2, 1);
        const QStringList expected{"nav 0",   "status Please wait...",
                                   "rebuild", "list 2",
                                   "size 0",  "properties",
                                   "rebuilt", "status OK",
                                   "nav 1"};
        QCOMPARE(windows.events, expected);
        QCOMPARE(windows.frameList, (QStringList{"Frame - 1", "Frame - 2", "Frame - 3"}));
        QCOMPARE(project.IE1().currentLayer(), 1);
        QCOMPARE(ShownId(project), 2);

        // A layer that does not exist: layer 0 becomes current and the inspector is not refreshed.
        windows.events.clear();
        project.ShowFrame(1, 9);
        QVERIFY(!windows.events.contains("properties"));
        QVERIFY(windows.events.contains("size 1"));
        QCOMPARE(project.IE1().currentLayer(), 0);
    }

    void addFrame_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("shown");
        QTest::newRow("one frame") << 1 << 1 << QList<int>{1, 1} << 2;
        QTest::newRow("after 2 of 4") << 4 << 2 << QList<int>{1, 2, 2, 3, 4} << 3;
        QTest::newRow("after the last") << 2 << 2 << QList<int>{1, 2, 2} << 3;
    }
    void addFrame() {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(QList<int>, ids);
        QFETCH(int, shown);
        RecordingObserver windows;
        Project project(&windows);
        project.LoadFrames(Frames(count), "/p/banner.mrp");
        project.ChangeFrame(current);
        project.IE1().setCurrentLayer(1);
        project.AddFrame();
        QCOMPARE(project.CurrentFrame(), shown);
        QCOMPARE(FrameIds(project), ids);
        QCOMPARE(project.Frames()[size_t(shown)], project.Frames()[size_t(shown - 1)]);
        QCOMPARE(project.IE1().currentLayer(), 1);
        QVERIFY(project.Modified());
        QCOMPARE(windows.caption, QString("banner.mrp*"));
    }

    void addFrameCopiesUnstoredEdits() {
        Project project;
        project.NewProject({}, "/s");
        const QString moved = ReplaceValue(project.IE1().layer(0).name, "W=", 300);
        project.IE1().layer(0).name = moved;
        project.AddFrame();
        QCOMPARE(project.Frames()[1].value(0), moved);
        QCOMPARE(project.Frames()[2].value(0), moved);
    }

    void removeFrame_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("shownNumber");
        QTest::addColumn<int>("shownId");
        QTest::newRow("2 of 3") << 3 << 2 << QList<int>{1, 3} << 2 << 3;
        QTest::newRow("3 of 3") << 3 << 3 << QList<int>{1, 2} << 2 << 2;
        QTest::newRow("1 of 2") << 2 << 1 << QList<int>{2} << 1 << 2;
    }
    void removeFrame() {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(QList<int>, ids);
        QFETCH(int, shownNumber);
        QFETCH(int, shownId);
        RecordingObserver windows;
        Project project(&windows);
        project.LoadFrames(Frames(count), "/p/banner.mrp");
        project.ChangeFrame(current);
        project.IE1().setCurrentLayer(1);
        QVERIFY(project.RemoveFrame());
        QCOMPARE(project.CurrentFrame(), shownNumber);
        QCOMPARE(ShownId(project), shownId);
        QCOMPARE(FrameIds(project), ids);
        QCOMPARE(project.IE1().currentLayer(), 0);
        QVERIFY(project.Modified());
        QVERIFY(windows.errors.isEmpty());
    }

    void removingTheOnlyFrameIsRefused() {
        RecordingObserver windows;
        Project project(&windows);
        project.NewProject({}, "/s");
        const QString edited = ReplaceValue(project.IE1().layer(0).name, "Delay=", 7);
        project.IE1().layer(0).name = edited;
        windows.events.clear();
        QVERIFY(!project.RemoveFrame());
        QCOMPARE(windows.errors, QStringList{"Could not delete this frame."});
        QVERIFY(windows.events.isEmpty());
        QCOMPARE(project.FrameCount(), 1);
        QVERIFY(!project.Modified());
        QCOMPARE(project.IE1().layer(0).name, edited);
    }

    void reverseFrames_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("shownId");
        QTest::newRow("4 frames, first shown") << 4 << 1 << QList<int>{4, 3, 2, 1} << 4;
        QTest::newRow("3 frames, middle stays") << 3 << 2 << QList<int>{3, 2, 1} << 2;
        QTest::newRow("2 frames, last shown") << 2 << 2 << QList<int>{2, 1} << 1;
    }
    void reverseFrames() {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(QList<int>, ids);
        QFETCH(int, shownId);
        Project project;
        project.LoadFrames(Frames(count), "/p/banner.mrp");
        project.ChangeFrame(current);
        project.ReverseFrames();
        QCOMPARE(project.CurrentFrame(), current);
        QCOMPARE(ShownId(project), shownId);
        QCOMPARE(FrameIds(project), ids);
        QVERIFY(project.Modified());
    }

    void reversingOneFrameChangesNothing() {
        Project project;
        project.NewProject({}, "/s");
        project.ReverseFrames();
        QVERIFY(!project.Modified());
    }

    void reverseStoresTheLiveFrameFirst() {
        Project project;
        project.LoadFrames(Frames(3), "/p/banner.mrp");
        const QString moved = ReplaceValue(project.IE1().layer(1).name, "X=", 42);
        project.IE1().layer(1).name = moved;
        project.ReverseFrames();
        QCOMPARE(project.Frames()[3].value(1), moved);
    }

    void navigation_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("expected");
        QTest::newRow("next") << 2 << "next" << 3;
        QTest::newRow("next at last") << 4 << "next" << 4;
        QTest::newRow("previous") << 3 << "previous" << 2;
        QTest::newRow("previous at first") << 1 << "previous" << 1;
        QTest::newRow("first") << 3 << "first" << 1;
        QTest::newRow("first at first") << 1 << "first" << 1;
        QTest::newRow("last") << 2 << "last" << 4;
        QTest::newRow("last at last") << 4 << "last" << 4;
        QTest::newRow("change") << 1 << "change 3" << 3;
        QTest::newRow("change to current") << 2 << "change 2" << 2;
        QTest::newRow("change to 0") << 2 << "change 0" << 2;
        QTest::newRow("change beyond") << 2 << "change 5" << 2;
        QTest::newRow("box number") << 1 << "box 4" << 4;
        QTest::newRow("box with word") << 1 << "box Frame 3" << 3;
        QTest::newRow("box zero") << 2 << "box 0" << 2;
        QTest::newRow("box beyond") << 2 << "box 12" << 2;
        QTest::newRow("box letters") << 2 << "box abc" << 2;
        QTest::newRow("box negative") << 2 << "box -1" << 2;
    }
    void navigation() {
        QFETCH(int, start);
        QFETCH(QString, operation);
        QFETCH(int, expected);
        RecordingObserver windows;
        Project project(&windows);
        project.LoadFrames(Frames(4), "/p/banner.mrp");
        project.ChangeFrame(start);
        project.IE1().setCurrentLayer(1);
        windows.events.clear();
        QString boxText;
        if (operation == "next") {
            project.NextFrame();
        } else if (operation == "previous") {
            project.PreviousFrame();
        } else if (operation == "first") {
            project.FirstFrame();
        } else if (operation == "last") {
            project.LastFrame();
        } else if (operation.startsWith("change ")) {
            project.ChangeFrame(operation.mid(7).toInt());
        } else {
            boxText = project.EFrameNrAcceptText(operation.mid(4));
            QCOMPARE(boxText, "Frame " + QString::number(expected));
        }
        QCOMPARE(project.CurrentFrame(), expected);
        QCOMPARE(ShownId(project), expected);
        QCOMPARE(windows.events.isEmpty(), expected == start);
        QCOMPARE(project.IE1().currentLayer(), 1); // the same object stays selected
        QVERIFY(!project.Modified());
    }

    void unstoredEditSurvivesNavigation() {
        Project project;
        project.LoadFrames(Frames(2), "/p/banner.mrp");
        const QString moved = ReplaceValue(project.IE1().layer(1).name, "X=", 33);
        project.IE1().layer(1).name = moved;
        project.NextFrame();
        QCOMPARE(DecodeInt(project.IE1().layer(1).name, "X"), 0);
        project.PreviousFrame();
        QCOMPARE(project.IE1().layer(1).name, moved);
        QCOMPARE(project.Frames()[1].value(1), moved);
    }

    void emptyFrameStaysEmpty() {
        Project project;
        project.LoadFrames({Frame(1), QStringList()}, "/p/damaged.mrp");
        project.NextFrame();
        QCOMPARE(project.IE1().count(), 1);
        project.PreviousFrame();
        QVERIFY(project.Frames()[2].isEmpty());
        QCOMPARE(project.Frames()[1], Frame(1));
    }

    void frameLayersReplaceEveryLayerAndReadBack() {
        LayerStack composition;
        composition.tag = 1;
        for (int i = 0; i < 5; ++i) {
            composition.layer(composition.addLayer()).name = "stale";
        }
        const QStringList lines = Frame(3);
        BuildFrameLayers(composition, lines, RenderContext{}, true);
        QCOMPARE(composition.count(), 3);
        QCOMPARE(FrameLinesOf(composition), lines);
        BuildFrameLayers(composition, {}, RenderContext{}, true);
        QCOMPARE(composition.count(), 1);
        QVERIFY(FrameLinesOf(composition).isEmpty());
    }

    void frameNumberText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("expected");
        QTest::newRow("number") << "7"
                                << "Frame" << 7;
        QTest::newRow("word and number") << "Frame 7"
                                         << "Frame" << 7;
        QTest::newRow("word glued to number") << "Frame7"
                                              << "Frame" << 7;
        QTest::newRow("blanks after word") << "Frame   12  "
                                           << "Frame" << 12;
        QTest::newRow("word only") << "Frame"
                                   << "Frame" << 0;
        QTest::newRow("word case differs") << "frame 7"
                                           << "Frame" << 0;
        QTest::newRow("longer word") << "Frames 7"
                                     << "Frame" << 0;
        QTest::newRow("letters") << "abc"
                                 << "Frame" << 0;
        QTest::newRow("empty") << ""
                               << "Frame" << 0;
        QTest::newRow("translated word") << "Bild 3"
                                         << "Bild" << 3;
        QTest::newRow("too large") << "99999999999"
                                   << "Frame" << 0;
    }
    void frameNumberText() {
        QFETCH(QString, typed);
        QFETCH(QString, word);
        QFETCH(int, expected);
        QCOMPARE(ParseFrameNumberText(typed, word), expected);
    }

    void captionFollowsModified() {
        RecordingObserver windows;
        Project project(&windows);
        project.NewProject({}, "/s");
        project.ChildChanged(true);
        QCOMPARE(windows.caption, QString("untitled-1.mrp*"));
        project.MarkSaved("/home/u/ad.mrp");
        QCOMPARE(windows.caption, QString("ad.mrp"));
        QVERIFY(!project.IsNew());
        QVERIFY(!project.Modified());
    }

    void operationsWithoutFramesDoNothing() {
        RecordingObserver windows;
        Project project(&windows);
        project.AddFrame();
        QVERIFY(!project.RemoveFrame());
        project.ReverseFrames();
        project.NextFrame();
        project.ShowFrame(1, 0);
        QCOMPARE(project.FrameCount(), 0);
        QVERIFY(windows.events.isEmpty());
        QVERIFY(windows.errors.isEmpty());
    }
};

MORLO_TEST(ProjectTests)
#include "project_tests.moc"
