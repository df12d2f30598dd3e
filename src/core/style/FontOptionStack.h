#pragma once

#include "style/FontOptionView.h"
#include "style/FontOptions.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace vantor {

// The main window's font dialog objects: the one made at start, and one more for each press of the font
// settings button. The last one made is current; the others stay hidden and unused until the end.
class FontOptionStack {
public:
    // Makes the start-up object at once, hidden.
    FontOptionStack(FontOptionViewFactory& factory, SettingsStore& store, SubtitleDocuments& documents,
        CaptureSession& session, TextCodec& codec);
    ~FontOptionStack();
    FontOptionStack(const FontOptionStack&) = delete;
    FontOptionStack& operator=(const FontOptionStack&) = delete;

    FontOptions& current() { return *m_objects.back().options; }
    std::size_t objectCount() const { return m_objects.size(); }

    // When the main window is shown, after its capture reset, on the start-up object: writes the default
    // settings if srtDefault is empty, fills the dialog, and sets the default pieces whatever is stored.
    void styleStartUp();
    // The font settings button: a new object becomes current and is shown modally; returns when it closes.
    void BitBtn1Click();

private:
    struct DialogObject {
        std::unique_ptr<FontOptionView> view;
        std::unique_ptr<FontOptions> options;
    };
    void makeObject();

    FontOptionViewFactory& m_factory;
    SettingsStore& m_store;
    SubtitleDocuments& m_documents;
    CaptureSession& m_session;
    TextCodec& m_codec;
    std::vector<DialogObject> m_objects;
};

} // namespace vantor
