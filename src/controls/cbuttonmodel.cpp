#include "controls/cbuttonmodel.h"

#include <algorithm>

#include "platform/virtualkeys.h"

namespace varnelo {

namespace {

constexpr BgrColor kWhite = 0xFFFFFF;
constexpr BgrColor kBlack = 0x000000;

}  // namespace

BgrColor Shade(BgrColor c, int d) {
    BgrColor result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int byte = std::clamp(int((c >> shift) & 0xFF) + d, 0, 255);
        result |= BgrColor(byte) << shift;
    }
    return result;
}

BgrColor cButtonSystemColors::resolve(BgrColor c) const {
    if (!(c & kSystemColorFlag))
        return c & 0xFFFFFF;
    switch (c) {
        case kSysButtonShadow:
            return shadow;
        case kSysButtonText:
            return text;
        case kSysButtonHighlight:
            return highlight;
        case kSys3DDarkShadow:
            return darkShadow;
        case kSys3DLight:
            return light;
        default:
            return face;
    }
}

cButtonModel::cButtonModel(QObject *parent) : QObject(parent) {}

void cButtonModel::setButtonType(int type) {
    m_buttonType = type;
    drawState(restingState(), true);
}

void cButtonModel::setColorScheme(int scheme) {
    m_colorScheme = scheme;
    propertyChanged();
}

void cButtonModel::setIsCheckBox(bool isCheckBox) {
    m_isCheckBox = isCheckBox;
    drawState(restingState(), true);
}

void cButtonModel::setChecked(bool checked) {
    m_checked = checked;
    drawState(restingState(), true);
}

void cButtonModel::setCaption(const QString &caption) {
    m_caption = caption;
    const QChar key = accessKeyOf(caption);
    if (key != m_accessKey) {
        m_accessKey = key;
        emit accessKeyChanged(key);
    }
    propertyChanged();
}

void cButtonModel::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    // A press that was under way when the button went grey must not click later.
    m_lastButton = 0;
    m_spaceDown = false;
    emit enabledChanged(enabled);
    drawState(restingState(), true);
}

void cButtonModel::setBackColor(BgrColor color) {
    m_backColor = color;
    propertyChanged();
}

void cButtonModel::setForeColor(BgrColor color) {
    m_foreColor = color;
    propertyChanged();
}

void cButtonModel::setForeColorChecked(BgrColor color) {
    m_foreColorChecked = color;
    propertyChanged();
}

void cButtonModel::setShowFocusRect(bool show) {
    m_showFocusRect = show;
    propertyChanged();
}

void cButtonModel::setSystemColors(const cButtonSystemColors &colors) {
    m_system = colors;
    propertyChanged();
}

cButtonColors cButtonModel::colors() const {
    cButtonColors c;
    if (m_colorScheme == 2) {
        // A system colour index is turned into its colour before it is shaded.
        c.face = m_system.resolve(m_backColor);
        c.text = m_system.resolve(m_foreColor);
        c.checkedText = m_system.resolve(m_foreColorChecked);
        c.light = Shade(c.face, 31);
        c.shadow = m_isCheckBox ? Shade(c.face, 47) : Shade(c.face, -64);
        c.highlight = m_isCheckBox ? kWhite : Shade(c.face, 47);
        c.darkShadow = m_isCheckBox ? kWhite : Shade(c.face, -192);
    } else if (m_colorScheme == 3) {
        c.face = 0xC0C0C0;
        c.light = 0xDFDFDF;
        c.highlight = kWhite;
        c.shadow = 0x808080;
        c.darkShadow = kBlack;
        c.text = kBlack;
        c.checkedText = kBlack;
    } else {
        c.face = m_system.face & 0xFFFFFF;
        c.light = m_system.light & 0xFFFFFF;
        c.highlight = m_system.highlight & 0xFFFFFF;
        c.shadow = m_system.shadow & 0xFFFFFF;
        c.darkShadow = m_system.darkShadow & 0xFFFFFF;
        c.text = m_system.text & 0xFFFFFF;
        c.checkedText = c.text;
    }
    return c;
}

QChar cButtonModel::accessKeyOf(const QString &caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1].toLower();
        ++i;  // "&&" stands for one ampersand
    }
    return {};
}

void cButtonModel::drawState(int state, bool force) {
    if (!force && state == m_drawnState && m_caption == m_drawnCaption)
        return;
    if (m_height == 0)
        return;
    m_drawnState = state;
    m_drawnCaption = m_caption;
    emit redrawNeeded();
}

int cButtonModel::restingState() const {
    return m_isCheckBox && m_checked ? kDown : kUp;
}

void cButtonModel::setFocus(bool focus) {
    m_hasFocus = focus;
    drawState(m_drawnState, true);
}

void cButtonModel::setSize(int width, int height) {
    m_width = width;
    m_height = height;
    // A checked check button keeps its checked look through a resize.
    drawState(restingState(), true);
}

bool cButtonModel::inside(qreal x, qreal y) const {
    return x >= 0 && y >= 0 && x < m_width && y < m_height;
}

void cButtonModel::propertyChanged() {
    drawState(m_drawnState, true);
}

void cButtonModel::mouseDown(int button, int shift, qreal x, qreal y) {
    if (!m_enabled)
        return;
    m_lastButton = button;
    if (!m_isCheckBox && button != kRightButton)
        drawState(kDown, false);
    emit MouseDown(button, shift, x, y);
}

void cButtonModel::mouseMove(int buttons, int shift, qreal x, qreal y) {
    if (!m_enabled)
        return;
    // A check button shows its state only, never the pressed look while held.
    if ((buttons == 0 || buttons == kLeftButton) && !m_isCheckBox) {
        if (!inside(x, y))
            drawState(kUp, false);
        else if (buttons == kLeftButton && m_lastButton == kLeftButton)
            drawState(kDown, false);
    }
    emit MouseMove(buttons, shift, x, y);
}

void cButtonModel::mouseUp(int button, int shift, qreal x, qreal y) {
    if (!m_enabled)
        return;
    if (!m_isCheckBox && button != kRightButton)
        drawState(kUp, false);
    emit MouseUp(button, shift, x, y);
    // Releasing outside takes the press back, as on any button.
    if (button == kLeftButton && inside(x, y))
        click();
}

void cButtonModel::click() {
    if (m_lastButton != kLeftButton || !m_enabled)
        return;
    m_lastButton = 0;
    if (m_isCheckBox) {
        m_checked = !m_checked;
        drawState(restingState(), false);
    } else {
        drawState(kUp, false);
    }
    emit Click();
}

void cButtonModel::keyDown(int keyCode, int shift) {
    if (!m_enabled)
        return;
    switch (keyCode) {
        case vk::Space:
            m_spaceDown = true;
            mouseDown(kLeftButton, shift, 0, 0);
            break;
        case vk::Right:
        case vk::Down:
            emit focusMoveRequested(true);
            break;
        case vk::Left:
        case vk::Up:
            emit focusMoveRequested(false);
            break;
        default:
            break;
    }
    emit KeyDown(keyCode, shift);
}

void cButtonModel::keyUp(int keyCode, int shift) {
    if (!m_enabled)
        return;
    // Only a Space pressed on this button clicks it: a release left over from a key pressed
    // elsewhere, before the focus arrived here, does not.
    if (keyCode == vk::Space && m_spaceDown) {
        m_spaceDown = false;
        if (!m_isCheckBox)
            drawState(kUp, false);
        emit MouseUp(kLeftButton, shift, 0, 0);
        m_lastButton = kLeftButton;
        click();
    }
    emit KeyUp(keyCode, shift);
}

void cButtonModel::accessKeyPressed() {
    if (!m_enabled)
        return;
    m_lastButton = kLeftButton;
    click();
}

}  // namespace varnelo
