#include "ui/x11_strip.h"

#include <QGuiApplication>
#include <QWidget>

#if __has_include(<xcb/xcb.h>)
#define ONDRIX_HAS_XCB 1
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>
#endif

namespace ondrix {

#ifdef ONDRIX_HAS_XCB

namespace {

class XcbStrip : public X11Strip {
  public:
    XcbStrip(xcb_connection_t* connection, xcb_window_t parent, std::uint8_t depth,
             const QRect& area)
        : c_(connection), depth_(depth), strip_(xcb_generate_id(c_)) {
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, strip_, parent,
                          static_cast<std::int16_t>(area.x()), static_cast<std::int16_t>(area.y()),
                          static_cast<std::uint16_t>(area.width()),
                          static_cast<std::uint16_t>(area.height()), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        gc_ = xcb_generate_id(c_);
        xcb_create_gc(c_, gc_, strip_, 0, nullptr);
        xcb_map_window(c_, strip_);
        xcb_flush(c_);
    }

    ~XcbStrip() override {
        endMotion();
        // The images' windows go with the strip's.
        xcb_destroy_window(c_, strip_);
        xcb_free_gc(c_, gc_);
        if (surface_ != 0) xcb_free_pixmap(c_, surface_);
        for (const Image& image : images_) xcb_free_pixmap(c_, image.pixmap);
        xcb_flush(c_);
    }

    void setSurface(const QImage& surface) override {
        const xcb_pixmap_t old = surface_;
        surface_ = upload(surface);
        setBackground(strip_, surface_);
        if (old != 0) xcb_free_pixmap(c_, old);
        xcb_flush(c_);
    }

    int addImage(const QImage& image, QPoint at) override {
        Image made{xcb_generate_id(c_), upload(image)};
        const std::uint32_t background[] = {made.pixmap};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, made.window, strip_,
                          static_cast<std::int16_t>(at.x()), static_cast<std::int16_t>(at.y()),
                          static_cast<std::uint16_t>(std::max(1, image.width())),
                          static_cast<std::uint16_t>(std::max(1, image.height())), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXMAP,
                          background);
        xcb_map_window(c_, made.window);
        xcb_flush(c_);
        images_.push_back(made);
        return static_cast<int>(images_.size()) - 1;
    }

    void setImage(int index, const QImage& image) override {
        Image& shown = images_.at(static_cast<std::size_t>(index));
        const xcb_pixmap_t old = shown.pixmap;
        shown.pixmap = upload(image);
        const std::uint32_t size[] = {static_cast<std::uint32_t>(std::max(1, image.width())),
                                      static_cast<std::uint32_t>(std::max(1, image.height()))};
        xcb_configure_window(c_, shown.window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                             size);
        setBackground(shown.window, shown.pixmap);
        xcb_free_pixmap(c_, old);
        xcb_flush(c_);
    }

    void moveImage(int index, QPoint at) override {
        const std::uint32_t place[] = {static_cast<std::uint32_t>(at.x()),
                                       static_cast<std::uint32_t>(at.y())};
        xcb_configure_window(c_, images_.at(static_cast<std::size_t>(index)).window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    }

    void send() override { xcb_flush(c_); }

    void setArea(const QRect& area) override {
        const std::uint32_t geometry[] = {static_cast<std::uint32_t>(area.x()),
                                          static_cast<std::uint32_t>(area.y()),
                                          static_cast<std::uint32_t>(std::max(1, area.width())),
                                          static_cast<std::uint32_t>(std::max(1, area.height()))};
        xcb_configure_window(c_, strip_,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             geometry);
        xcb_flush(c_);
    }

    void startMotion(int intervalMs, Step step) override {
        endMotion();
        std::vector<xcb_window_t> windows;
        for (const Image& image : images_) windows.push_back(image.window);
        stopping_ = false;
        steps_ = 0;
        // libxcb serialises the requests of all threads on one connection.
        motion_ = std::thread([this, windows = std::move(windows), step = std::move(step),
                               interval = std::chrono::milliseconds(std::max(1, intervalMs))] {
            auto next = std::chrono::steady_clock::now();
            std::vector<QPoint> places;
            std::unique_lock lock(mutex_);
            for (;;) {
                next += interval;
                if (stopWanted_.wait_until(lock, next, [this] { return stopping_; })) return;
                step(places);
                for (std::size_t i = 0; i < places.size() && i < windows.size(); ++i) {
                    const std::uint32_t place[] = {static_cast<std::uint32_t>(places[i].x()),
                                                   static_cast<std::uint32_t>(places[i].y())};
                    xcb_configure_window(c_, windows[i], XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                                         place);
                }
                xcb_flush(c_);
                ++steps_;
            }
        });
    }

    std::int64_t stopMotion() override { return endMotion(); }

  private:
    std::int64_t endMotion() {
        if (!motion_.joinable()) return 0;
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        stopWanted_.notify_all();
        motion_.join();
        return steps_;
    }

    struct Image {
        xcb_window_t window;
        xcb_pixmap_t pixmap;
    };

    // A pixmap of the server holding the image, sent in bands of rows that
    // each fit in one request.
    xcb_pixmap_t upload(const QImage& image) {
        const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
        const int width = std::max(1, pixels.width());
        const int height = std::max(1, pixels.height());
        const xcb_pixmap_t pixmap = xcb_generate_id(c_);
        xcb_create_pixmap(c_, depth_, pixmap, strip_, static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height));
        if (pixels.isNull()) return pixmap;
        const std::size_t rowBytes = static_cast<std::size_t>(pixels.width()) * 4;
        const std::size_t requestBytes = std::size_t{xcb_get_maximum_request_length(c_)} * 4;
        const int band = static_cast<int>(std::max<std::size_t>(1, (requestBytes - 64) / rowBytes));
        std::vector<std::uint8_t> rows;
        for (int top = 0; top < pixels.height(); top += band) {
            const int count = std::min(band, pixels.height() - top);
            rows.resize(rowBytes * static_cast<std::size_t>(count));
            for (int y = 0; y < count; ++y)
                std::copy_n(pixels.constScanLine(top + y), rowBytes,
                            rows.begin() + static_cast<std::ptrdiff_t>(rowBytes * y));
            xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc_,
                          static_cast<std::uint16_t>(pixels.width()),
                          static_cast<std::uint16_t>(count), 0, static_cast<std::int16_t>(top), 0,
                          depth_, static_cast<std::uint32_t>(rows.size()), rows.data());
        }
        return pixmap;
    }

    void setBackground(xcb_window_t window, xcb_pixmap_t pixmap) {
        const std::uint32_t background[] = {pixmap};
        xcb_change_window_attributes(c_, window, XCB_CW_BACK_PIXMAP, background);
        xcb_clear_area(c_, 0, window, 0, 0, 0, 0);
    }

    xcb_connection_t* c_;
    std::uint8_t depth_;
    xcb_window_t strip_;
    xcb_gcontext_t gc_ = 0;
    xcb_pixmap_t surface_ = 0;
    std::vector<Image> images_;

    std::thread motion_;
    std::mutex mutex_;
    std::condition_variable stopWanted_;
    bool stopping_ = false;   // guarded by mutex_
    std::int64_t steps_ = 0;  // guarded by mutex_ while motion_ runs
};

}  // namespace

std::unique_ptr<X11Strip> X11Strip::over(QWidget* top, const QRect& area) {
    // Other platforms may answer for X11 too (the offscreen one does).
    if (QGuiApplication::platformName() != QLatin1String("xcb") || top == nullptr) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 != nullptr ? x11->connection() : nullptr;
    if (c == nullptr) return nullptr;
    const auto parent = static_cast<xcb_window_t>(top->winId());
    // The images are sent as 32-bit pixels in the server's order: only a
    // 24- or 32-bit true-colour window of a little-endian server takes them.
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, parent), nullptr);
    if (geometry == nullptr) return nullptr;
    const std::uint8_t depth = geometry->depth;
    std::free(geometry);
    if ((depth != 24 && depth != 32) ||
        xcb_get_setup(c)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return nullptr;
    return std::make_unique<XcbStrip>(c, parent, depth, area);
}

#else

std::unique_ptr<X11Strip> X11Strip::over(QWidget*, const QRect&) {
    return nullptr;
}

#endif

}  // namespace ondrix
