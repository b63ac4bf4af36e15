#include "graphic/tools/text_tool.h"

#include "graphic/floating_selection.h"
#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity TextTool::kIdentity{11, "Text", "Text", "T", LetterAGlyph};

void TextTool::pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    DropFloatingBeforeNewSelection(canvas);
    m_anchor = position;
    m_placing = true;
}

void TextTool::moved(ToolCanvas&, QPoint, Qt::MouseButtons) {}

void TextTool::released(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (!m_placing || button != Qt::LeftButton)
        return;
    m_placing = false;
    // The dialog answers later; the placement is then one step of its own. The canvas outlives
    // the dialog (both belong to the editor window), the tool may not.
    ToolCanvas* target = &canvas;
    canvas.askText([target, anchor = m_anchor, name = undoText()](const TextRequest& request) {
        target->beginStep();
        PixelStore floating;
        const QSize cells = RenderTextSelection(floating, request, target->width(),
                                                target->height(), target->colour());
        target->replaceFloating(floating);
        target->showFloating(QRect(anchor, cells * target->zoom()));
        target->endStep(name);
    });
}

void TextTool::deactivate(ToolCanvas&) {
    m_placing = false;
}

} // namespace lumivo::graphic
