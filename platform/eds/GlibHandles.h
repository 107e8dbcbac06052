// Owning handles for the GLib objects the module takes, so every path frees them.
#pragma once

#include <glib-object.h>
#include <glib.h>

#include <memory>

namespace linecal::eds {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct VariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
struct CharsFree {
    void operator()(gchar* text) const { g_free(text); }
};

template <typename T>
using Object = std::unique_ptr<T, ObjectUnref>;
using Variant = std::unique_ptr<GVariant, VariantUnref>;
using Chars = std::unique_ptr<gchar, CharsFree>;

// Fills a GError out-parameter and takes ownership of what was put there.
class ErrorSlot {
public:
    ErrorSlot() = default;
    ErrorSlot(const ErrorSlot&) = delete;
    ErrorSlot& operator=(const ErrorSlot&) = delete;
    ~ErrorSlot() {
        if (error_) g_error_free(error_);
    }
    GError** out() { return &error_; }
    explicit operator bool() const { return error_ != nullptr; }
    const char* message() const { return error_ ? error_->message : "unknown error"; }
    bool matches(GQuark domain, int code) const { return g_error_matches(error_, domain, code); }

private:
    GError* error_ = nullptr;
};

}  // namespace linecal::eds
