#include "fprint_link.h"

#include <fprint.h>

#include <algorithm>
#include <cstring>

#include "result_codes.h"

namespace tervo::fprint {
namespace {

// A cancellable that cancels itself when its time is up, on the default main
// context that libfprint's blocking calls iterate.
class Deadline {
  public:
    explicit Deadline(int milliseconds) : cancellable_(g_cancellable_new()) {
        source_ = g_timeout_add(static_cast<guint>(milliseconds), &Deadline::expire, this);
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    ~Deadline() {
        if (!expired_) g_source_remove(source_);
        g_object_unref(cancellable_);
    }
    GCancellable* cancellable() const { return cancellable_; }
    bool expired() const { return expired_; }

  private:
    static gboolean expire(gpointer self) {
        auto* deadline = static_cast<Deadline*>(self);
        deadline->expired_ = true;
        g_cancellable_cancel(deadline->cancellable_);
        return G_SOURCE_REMOVE;
    }
    GCancellable* cancellable_;
    guint source_ = 0;
    bool expired_ = false;
};

// Every message of GLib and libfprint goes to stderr, debug output included
// (G_MESSAGES_DEBUG), so that stdout stays the console's alone.
void keepLogsOffStdout() {
    static const bool once = [] {
        g_log_writer_default_set_use_stderr(TRUE);
        return true;
    }();
    (void)once;
}

bool deliversImages(FpDevice* device) {
    return fp_device_has_feature(device, FP_DEVICE_FEATURE_CAPTURE);
}

FpDevice* chooseDevice(GPtrArray* devices, const std::string& wanted) {
    const std::optional<int> index = deviceIndex(wanted);
    int imaging = 0;
    for (guint i = 0; i < devices->len; ++i) {
        auto* device = static_cast<FpDevice*>(g_ptr_array_index(devices, i));
        if (!deliversImages(device)) continue;
        const bool chosen =
            index ? imaging == *index : wanted.empty() || wanted == fp_device_get_driver(device);
        if (chosen) return device;
        ++imaging;
    }
    return nullptr;
}

// Result code of a failed capture.
int captureFailure(const GError* error) {
    if (error->domain == FP_DEVICE_ERROR) {
        switch (error->code) {
            case FP_DEVICE_ERROR_REMOVED:
                return tervo::GA_E_INVALID_PARAMETER;  // -1: the link is lost
            case FP_DEVICE_ERROR_NOT_OPEN:
                return tervo::GA_E_DEVICE_NOINIT;
            case FP_DEVICE_ERROR_NOT_SUPPORTED:
                return tervo::GA_E_NOT_IMPLEMENT;
            default:
                break;
        }
    }
    return tervo::GA_E_INSERFICIENT_MEMORY;  // -2: a broken exchange with the reader
}

}  // namespace

int FprintLink::open(const ReaderSettings& settings, std::ostream& diagnostics) {
    close();
    keepLogsOffStdout();
    context_ = fp_context_new();
    FpDevice* device = chooseDevice(fp_context_get_devices(context_), settings.device);
    if (device == nullptr) {
        diagnostics << "libfprint reader: no reader that delivers images"
                    << (settings.device.empty() ? std::string()
                                                : " matches TERVO_FPRINT_DEVICE=\"" + settings.device + "\"")
                    << "\n";
        close();
        return tervo::GA_E_DEVICE_NOFOUND;
    }
    GError* error = nullptr;
    const Deadline deadline(settings.timeoutMs);
    if (!fp_device_open_sync(device, deadline.cancellable(), &error)) {
        diagnostics << "libfprint reader: cannot open " << fp_device_get_name(device) << " ("
                    << (error != nullptr ? error->message : "no reason given") << ")\n";
        g_clear_error(&error);
        close();
        return tervo::GA_E_DEVICE_NOFOUND;
    }
    device_ = static_cast<FpDevice*>(g_object_ref(device));
    lost_ = false;
    return tervo::GA_OK;
}

void FprintLink::close() {
    if (device_ != nullptr) {
        if (fp_device_is_open(device_)) fp_device_close_sync(device_, nullptr, nullptr);
        g_clear_object(&device_);
    }
    g_clear_object(&context_);
    lost_ = false;
}

int FprintLink::capture(int timeoutMs, tervo::synth::GrayImage& image) {
    if (device_ == nullptr) return tervo::GA_E_DEVICE_NOINIT;
    gboolean removed = FALSE;
    g_object_get(device_, "removed", &removed, nullptr);
    if (lost_ || removed) {
        lost_ = true;
        return tervo::GA_E_INVALID_PARAMETER;
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        GError* error = nullptr;
        FpImage* captured = fp_device_capture_sync(device_, TRUE, deadline.cancellable(), &error);
        if (captured != nullptr) {
            image = tervo::synth::GrayImage(static_cast<int>(fp_image_get_width(captured)),
                                            static_cast<int>(fp_image_get_height(captured)));
            gsize length = 0;
            const guchar* data = fp_image_get_data(captured, &length);
            std::memcpy(image.values.data(), data, std::min<std::size_t>(length, image.values.size()));
            g_object_unref(captured);
            return tervo::GA_OK;
        }
        if (error == nullptr) return tervo::GA_E_INSERFICIENT_MEMORY;  // no image and no reason
        const bool retry = error->domain == FP_DEVICE_RETRY && !deadline.expired();
        const int result = deadline.expired() ? tervo::GA_E_TIMEOUT : captureFailure(error);
        g_error_free(error);
        if (retry) continue;
        if (result == tervo::GA_E_INVALID_PARAMETER) lost_ = true;
        return result;
    }
}

std::string FprintLink::driver() const {
    return device_ != nullptr ? fp_device_get_driver(device_) : "";
}
std::string FprintLink::deviceId() const {
    return device_ != nullptr ? fp_device_get_device_id(device_) : "";
}
std::string FprintLink::name() const {
    return device_ != nullptr ? fp_device_get_name(device_) : "";
}

}  // namespace tervo::fprint
