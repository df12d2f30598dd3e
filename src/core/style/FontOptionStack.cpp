#include "style/FontOptionStack.h"

#include "style/StyleSettings.h"

namespace vantor {

FontOptionStack::FontOptionStack(FontOptionViewFactory& factory, SettingsStore& store,
    SubtitleDocuments& documents, CaptureSession& session, TextCodec& codec)
    : m_factory(factory)
    , m_store(store)
    , m_documents(documents)
    , m_session(session)
    , m_codec(codec)
{
    makeObject();
}

FontOptionStack::~FontOptionStack()
{
    // Each window goes before the behaviour it forwards to.
    for (auto it = m_objects.rbegin(); it != m_objects.rend(); ++it) {
        it->view.reset();
        it->options.reset();
    }
}

void FontOptionStack::makeObject()
{
    DialogObject object;
    object.view = m_factory.createFontOptionView();
    object.options = std::make_unique<FontOptions>(*object.view, m_store, m_documents, m_session, m_codec);
    object.view->attach(*object.options);
    m_objects.push_back(std::move(object));
}

void FontOptionStack::styleStartUp()
{
    FontOptions& startUp = *m_objects.front().options;
    if (ReadStyleSetting(m_store, kSrtDefault).empty())
        WriteDefaultStyleSettings(m_store);
    startUp.LoadStyleIntoDialog();
    startUp.UseDefaultStyle();
}

void FontOptionStack::BitBtn1Click()
{
    makeObject();
    current().view().showModal();
}

} // namespace vantor
