#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/Gesture/Emitter.h>
#include <Kavrel/App/Application/Gesture/Router.h>
#include <Kavrel/App/Application/Gesture/Scroller.h>
#include <Kavrel/Platform/GestureApi.h>

#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <map>

using Kavrel::App::Gesture;
using namespace Kavrel::Platform;

namespace
{
int argc = 1;
char name[] = "GestureTests";
char* argv[] = {name, nullptr};

// The window system, as the gesture decoder sees it, for one test: gesture
// messages recorded by handle, a child window, and what the decoder told it.
class FakeWindows
{
public:
    FakeWindows()
    {
        GestureApi api;
        api.getGestureInfo = [this](std::intptr_t handle, GestureInfoRecord& info)
        {
            const auto found = messages.find(handle);
            if (found == messages.end())
                return false;
            info = found->second;
            return true;
        };
        api.closeGestureInfoHandle = [this](std::intptr_t handle) { return closed.push_back(handle), true; };
        api.setGestureConfig = [this](void*, std::uint32_t, std::uint32_t count,
                                      const GestureConfigEntry* entries, std::uint32_t size)
        {
            EXPECT_EQ(size, 12u);
            configs.emplace_back(entries, entries + count);
            return true;
        };
        api.screenToClient = [](void*, int& x, int& y) { return x -= 100, y -= 50, true; };
        api.getParent = [this](void* window) -> void* { return window == CHILD ? TOP : nullptr; };
        api.defWindowProc = [this](void*, std::uint32_t message, std::uintptr_t, std::intptr_t)
        { return defaulted.push_back(message), std::intptr_t(42); };
        previous = SetGestureApi(api);
    }
    ~FakeWindows() { SetGestureApi(previous); }

    std::intptr_t Add(std::uint32_t id, std::uint32_t flags, std::int16_t x, std::int16_t y,
                      std::uint64_t arguments)
    {
        messages[++lastHandle] = GestureInfoRecord{0, flags, id, nullptr, x, y, 0, 0, arguments};
        return lastHandle;
    }

    static inline void* const TOP = reinterpret_cast<void*>(0x1000);
    static inline void* const CHILD = reinterpret_cast<void*>(0x2000);
    std::map<std::intptr_t, GestureInfoRecord> messages;
    std::vector<std::vector<GestureConfigEntry>> configs;
    std::vector<std::intptr_t> closed;
    std::vector<std::uint32_t> defaulted;

private:
    std::intptr_t lastHandle = 0;
    GestureApi previous;
};

// A router whose consumer is chosen by the test instead of by the widgets.
struct TestRouter : Gesture::Router
{
    TestRouter() : Router(nullptr) {}
    Gesture::Consumer* Route(const Gesture& gesture) override
    {
        routedAt = gesture.pos;
        return routed;
    }
    bool Send(std::uint32_t message, void* window, std::intptr_t lParam, long* result)
    {
        WindowsMessage msg{window, message, 0, lParam};
        return nativeEvent("windows_generic_MSG", &msg, result);
    }
    bool Notify(short x, short y)
    {
        GestureNotifyRecord record{};
        record.x = x;
        record.y = y;
        long result = -1;
        return Send(0x011A, FakeWindows::TOP, reinterpret_cast<std::intptr_t>(&record), &result);
    }
    Gesture::Consumer* routed = nullptr;
    QPoint routedAt;
};

// Records everything an emitter says, as text.
struct Recorder
{
    explicit Recorder(Gesture::Emitter& emitter)
    {
        Record(emitter, &Gesture::Emitter::zoom, zooms);
        Record(emitter, &Gesture::Emitter::rotate, rotations);
        Record(emitter, &Gesture::Emitter::pan, pans);
        Record(emitter, &Gesture::Emitter::tap, taps);
        Record(emitter, &Gesture::Emitter::pressAndTap, pressAndTaps);
    }
    template <class Kind>
    static void Record(Gesture::Emitter& emitter, void (Gesture::Emitter::*signal)(const Kind&),
                       std::vector<Kind>& into)
    {
        QObject::connect(&emitter, signal, [&into](const Kind& gesture) { into.push_back(gesture); });
    }
    std::vector<Gesture::Zoom> zooms;
    std::vector<Gesture::Rotate> rotations;
    std::vector<Gesture::Pan> pans;
    std::vector<Gesture::Tap> taps;
    std::vector<Gesture::PressAndTap> pressAndTaps;
};

using Table = std::vector<std::array<std::uint32_t, 3>>;
Table AsTable(const std::vector<GestureConfigEntry>& entries)
{
    Table table;
    for (const auto& entry : entries)
        table.push_back({entry.id, entry.want, entry.block});
    return table;
}

// Gesture messages of a top-level window and its child, decoded for an
// emitter that records what it says.
class GestureRouting : public ::testing::Test
{
protected:
    QApplication app{argc, argv};
    FakeWindows windows;
    TestRouter router;
    Gesture::Emitter emitter;
    Recorder recorded{emitter};
    long result = -1;
};

// What the consumer wants becomes the window system's configuration; without
// a consumer every gesture is blocked and nothing decoded.
TEST_F(GestureRouting, theConfigurationFollowsWhatTheConsumerWants)
{
    router.Notify(10, 10);
    ASSERT_EQ(windows.configs.size(), 1u);
    EXPECT_EQ(AsTable(windows.configs[0]), (Table{{0, 0, 1}}));
    EXPECT_FALSE(router.Send(0x0119, FakeWindows::TOP, windows.Add(4, 1, 0, 0, 0), &result));

    struct Wants
    {
        bool zoom, rotate, horizontal, vertical, gutter, inertia;
        std::uint32_t pan, panBlocked;
    };
    router.routed = &emitter;
    for (const Wants& wants : {Wants{true, false, false, false, false, false, 0x00, 0x1F},
                               Wants{false, true, true, true, true, true, 0x1F, 0x00},
                               Wants{false, false, false, true, false, false, 0x03, 0x1C},
                               Wants{false, false, false, false, false, true, 0x11, 0x0E}})
    {
        emitter.setZoomEnabled(wants.zoom);
        emitter.setRotateEnabled(wants.rotate);
        emitter.setHorizontalPanEnabled(wants.horizontal);
        emitter.setVerticalPanEnabled(wants.vertical);
        emitter.setPanGutterEnabled(wants.gutter);
        emitter.setPanInertiaEnabled(wants.inertia);
        windows.configs.clear();
        EXPECT_FALSE(router.Notify(300, 200)); // default processing goes on
        EXPECT_EQ(router.routedAt, QPoint(200, 150));
        ASSERT_EQ(windows.configs.size(), 1u);
        const std::uint32_t zoom = wants.zoom, rotate = wants.rotate;
        EXPECT_EQ(AsTable(windows.configs[0]), (Table{{3, zoom, 1 - zoom},
                                                      {4, wants.pan, wants.panBlocked},
                                                      {5, rotate, 1 - rotate},
                                                      {6, 0, 1},
                                                      {7, 0, 1}}))
            << wants.pan;
    }
}

// The kinds decoded from recorded sequences, with the start values kept;
// child windows get the default procedure.
TEST_F(GestureRouting, decodesEachKindFromRecordedMessages)
{
    router.routed = &emitter;
    router.Notify(0, 0);
    EXPECT_TRUE(router.Send(0x0119, FakeWindows::CHILD, windows.Add(3, 1, 0, 0, 10), &result));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(windows.defaulted, std::vector<std::uint32_t>{0x0119});
    EXPECT_TRUE(recorded.zooms.empty());
    EXPECT_TRUE(windows.closed.empty());
    const auto send = [&](std::uint32_t id, std::uint32_t flags, std::uint64_t arguments)
    { return router.Send(0x0119, FakeWindows::TOP, windows.Add(id, flags, 150, 90, arguments), &result); };

    EXPECT_TRUE(send(3, 1, 100) && send(3, 0, 150) && send(3, 4, 120));
    ASSERT_EQ(recorded.zooms.size(), 3u);
    for (const auto& zoom : recorded.zooms)
        EXPECT_EQ(zoom.startDistance, 100);
    EXPECT_EQ(recorded.zooms[1].distance, 150);
    EXPECT_TRUE(recorded.zooms[0].begin && recorded.zooms[2].end);
    EXPECT_EQ(recorded.zooms[0].pos, QPoint(50, 40));
    EXPECT_EQ(recorded.zooms[0].globalPos, QPoint(150, 90));

    EXPECT_TRUE(send(5, 1, 0) && send(5, 4, 65535));
    ASSERT_EQ(recorded.rotations.size(), 2u);
    EXPECT_NEAR(recorded.rotations[0].angle, -6.2831853, 1e-6);
    EXPECT_NEAR(recorded.rotations[1].angle, 6.2831853, 1e-6);
    EXPECT_NEAR(recorded.rotations[1].startAngle, -6.2831853, 1e-6);

    // Inertia vector (-3, 7) in the high half, finger distance 25 in the low.
    const std::uint64_t inertia =
        (std::uint64_t(std::uint16_t(7)) << 48) | (std::uint64_t(std::uint16_t(-3)) << 32);
    EXPECT_TRUE(send(4, 1, 25) && send(4, 2, inertia | 25));
    ASSERT_EQ(recorded.pans.size(), 2u);
    EXPECT_EQ(recorded.pans[1].start, QPoint(50, 40));
    EXPECT_EQ(recorded.pans[1].inertiaVector, QPoint(-3, 7));
    EXPECT_TRUE(recorded.pans[1].inertia);
    EXPECT_EQ(recorded.pans[1].distance, 25u);

    EXPECT_TRUE(send(7, 1, (std::uint32_t(std::uint16_t(-4)) << 16) | 6) && send(6, 1, 33));
    ASSERT_EQ(recorded.pressAndTaps.size(), 1u);
    EXPECT_EQ(recorded.pressAndTaps[0].tapPos, QPoint(56, 36));
    ASSERT_EQ(recorded.taps.size(), 1u);
    EXPECT_EQ(recorded.taps[0].distance, 33u);

    EXPECT_FALSE(send(1, 1, 0)); // GID_BEGIN: the default procedure's
    EXPECT_EQ(windows.closed.size(), 9u);
}

// Routing goes up from the widget under the point to the first one with a
// consumer child; the widget itself is never asked.
TEST_F(GestureRouting, findsTheNearestConsumerChildUpThePanelsParents)
{
    QWidget window;
    window.resize(200, 200);
    auto* layout = new QVBoxLayout(&window);
    auto* inner = new QWidget;
    layout->addWidget(inner);
    inner->setMinimumSize(150, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Gesture::Router router(nullptr);
    Gesture gesture;
    gesture.globalPos = inner->mapToGlobal(QPoint(10, 10));
    EXPECT_EQ(router.Route(gesture), nullptr);
    auto* outerEmitter = new Gesture::Emitter(&window);
    EXPECT_EQ(router.Route(gesture), static_cast<Gesture::Consumer*>(outerEmitter));
    auto* innerEmitter = new Gesture::Emitter(inner);
    EXPECT_EQ(router.Route(gesture), static_cast<Gesture::Consumer*>(innerEmitter));
}

Gesture::Pan PanAt(int x, int y, bool begin = false, bool end = false)
{
    Gesture::Pan pan;
    pan.pos = QPoint(x, y);
    pan.begin = begin;
    pan.end = end;
    return pan;
}

struct Playlist
{
    Playlist()
    {
        for (int i = 0; i < 200; ++i)
            list.addItem(QStringLiteral("Track %1 with a name long enough to scroll sideways too").arg(i));
        list.resize(120, 150);
        list.show();
    }
    QListWidget list;
};

TEST(GestureScroller, panningMovesTheBarsAgainstTheFingersAndEndsAtTheEnd)
{
    Kavrel::App::Application app(argc, argv);
    Playlist playlist;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&playlist.list));
    playlist.list.hide();
    playlist.list.show(); // a second show adds no second scroller
    const auto scrollers =
        playlist.list.findChildren<Gesture::Scroller*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(scrollers.size(), 1);
    Gesture::Consumer* scroller = scrollers.first();
    QScrollBar* horizontal = playlist.list.horizontalScrollBar();
    QScrollBar* vertical = playlist.list.verticalScrollBar();
    horizontal->setValue(20);
    vertical->setValue(3); // items
    scroller->OnGesture(PanAt(50, 50, true));
    EXPECT_EQ(playlist.list.verticalScrollMode(), QAbstractItemView::ScrollPerPixel);
    const int pixels = vertical->value();
    scroller->OnGesture(PanAt(60, 45)); // (+10, -5)
    EXPECT_EQ(horizontal->value(), 10);
    EXPECT_EQ(vertical->value(), pixels + 5);
    scroller->OnGesture(PanAt(60, -100000)); // far past the end
    EXPECT_EQ(vertical->value(), vertical->maximum());
    scroller->OnGesture(PanAt(60, -100000, false, true));
    EXPECT_EQ(playlist.list.verticalScrollMode(), QAbstractItemView::ScrollPerItem);
    EXPECT_EQ(vertical->value(), vertical->maximum());
}

// Real touch input, as X11 and Wayland give it to Qt.
class Touch : public ::testing::Test
{
protected:
    Touch() : device(QTest::createTouchDevice()) {}
    Kavrel::App::Application app{argc, argv};
    QTouchDevice* device;
};

TEST_F(Touch, oneFingerPansAListAndATapStillSelects)
{
    Playlist playlist;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&playlist.list));
    QWidget* viewport = playlist.list.viewport();
    QScrollBar* vertical = playlist.list.verticalScrollBar();
    QTest::touchEvent(viewport, device).press(0, QPoint(40, 120), viewport);
    for (int y = 110; y >= 20; y -= 10)
        QTest::touchEvent(viewport, device).move(0, QPoint(40, y), viewport);
    QTest::touchEvent(viewport, device).release(0, QPoint(40, 20), viewport);
    EXPECT_GE(vertical->value(), 3); // a hundred pixels up: some rows on
    EXPECT_TRUE(playlist.list.selectedItems().isEmpty()) << "a pan selects nothing";

    QTest::touchEvent(viewport, device).press(0, QPoint(30, 10), viewport);
    QTest::touchEvent(viewport, device).release(0, QPoint(30, 10), viewport);
    EXPECT_EQ(playlist.list.selectedItems(), QList<QListWidgetItem*>{playlist.list.itemAt(QPoint(30, 10))});

    // The mouse is the mouse: a drag with the button held still selects.
    const QPoint from(30, 40), to(30, 90);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QMouseEvent drag(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drag);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    EXPECT_EQ(playlist.list.selectedItems(), QList<QListWidgetItem*>{playlist.list.itemAt(to)});
}

TEST_F(Touch, twoFingersSpreadingZoomWithAConstantStartDistance)
{
    QWidget cover;
    cover.resize(300, 300);
    auto* emitter = new Gesture::Emitter(&cover);
    emitter->setZoomEnabled(true);
    emitter->setRotateEnabled(true);
    Recorder recorded(*emitter);
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    QTest::touchEvent(&cover, device).press(0, QPoint(100, 150), &cover).press(1, QPoint(200, 150), &cover);
    for (int step = 1; step <= 5; ++step)
        QTest::touchEvent(&cover, device)
            .move(0, QPoint(100 - 10 * step, 150), &cover)
            .move(1, QPoint(200 + 10 * step, 150), &cover);
    QTest::touchEvent(&cover, device)
        .release(0, QPoint(50, 150), &cover)
        .release(1, QPoint(250, 150), &cover);
    ASSERT_GE(recorded.zooms.size(), 3u);
    EXPECT_TRUE(recorded.zooms.front().begin);
    EXPECT_TRUE(recorded.zooms.back().end);
    for (const auto& zoom : recorded.zooms)
        EXPECT_EQ(zoom.startDistance, 100);
    EXPECT_EQ(recorded.zooms.back().distance, 200);
    EXPECT_TRUE(recorded.rotations.empty());
    EXPECT_TRUE(recorded.pans.empty());
}

} // namespace
