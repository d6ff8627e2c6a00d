#include "ui/intake/package_opener.h"

#include "ui/intake/open_panel.h"
#include "ui/views/content_view_state.h"

PackageOpener::PackageOpener(QObject *parent)
    : QObject(parent), m_platformChooser(std::make_unique<OpenPanelChooser>()), m_chooser(m_platformChooser.get())
{
}

PackageOpener::~PackageOpener() = default;

ContentViewState *PackageOpener::viewState() const
{
    return m_viewState;
}

void PackageOpener::setViewState(ContentViewState *state)
{
    if (m_viewState == state)
        return;
    if (m_viewState)
        disconnect(m_viewState, nullptr, this, nullptr);
    m_viewState = state;
    if (state)
        connect(state, &ContentViewState::isInspectingChanged, this, &PackageOpener::canOpenChanged);
    emit viewStateChanged();
    emit canOpenChanged();
}

bool PackageOpener::canOpen() const
{
    return m_viewState && !m_viewState->isInspecting();
}

void PackageOpener::open()
{
    if (!canOpen())
        return;
    // The panel runs the event loop: the window may close meanwhile.
    const std::optional<QUrl> chosen = m_chooser->choosePackage();
    if (chosen && m_viewState)
        m_viewState->beginInspection(*chosen);
}

void PackageOpener::setChooser(PackageChooser *chooser)
{
    m_chooser = chooser ? chooser : m_platformChooser.get();
}
