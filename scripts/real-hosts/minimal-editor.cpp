// The least VST 2 plug-in with an editor, for telling a host's own behaviour from Lampwick's: no
// toolkit, no processing, and an editor that is one plain 600 x 450 child window of the host's
// window, which does nothing of its own on a press (no raise, no capture, no idle requests).
// scripts/real-hosts/lmms --minimal builds it for 32-bit Windows hosts.

#include "host/VstInterface.h"

#include <cstring>
#include <windows.h>

namespace
{
constexpr int width = 600, height = 450;
vst2::ERect editorRect{0, 0, height, width};
HWND editorWindow = nullptr;

LRESULT CALLBACK editorProc (HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_PAINT)
    {
        PAINTSTRUCT paint;
        auto* dc = BeginPaint (window, &paint);
        FillRect (dc, &paint.rcPaint, (HBRUSH) GetStockObject (GRAY_BRUSH));
        RECT box{10, 10, 110, 440}, square{110, 18, 118, 26};
        FillRect (dc, &box, (HBRUSH) GetStockObject (WHITE_BRUSH));
        FillRect (dc, &square, (HBRUSH) GetStockObject (BLACK_BRUSH));
        EndPaint (window, &paint);
        return 0;
    }
    return DefWindowProcA (window, message, w, l);
}

vst2::VstIntPtr VSTCALLBACK dispatch (vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32,
                                      vst2::VstIntPtr, void* ptr, float)
{
    switch (opcode)
    {
    case vst2::effClose:
        delete effect;
        return 1;
    case vst2::effEditGetRect:
        *static_cast<vst2::ERect**> (ptr) = &editorRect;
        return 1;
    case vst2::effEditOpen:
    {
        WNDCLASSA c{};
        c.lpfnWndProc = editorProc;
        c.hInstance = GetModuleHandleA (nullptr);
        c.hCursor = LoadCursorA (nullptr, (LPCSTR) IDC_ARROW);
        c.lpszClassName = "MinimalEditor";
        RegisterClassA (&c);
        editorWindow = CreateWindowExA (0, "MinimalEditor", nullptr, WS_CHILD | WS_VISIBLE, 0, 0,
                                        width, height, static_cast<HWND> (ptr), nullptr,
                                        GetModuleHandleA (nullptr), nullptr);
        return editorWindow != nullptr ? 1 : 0;
    }
    case vst2::effEditClose:
        DestroyWindow (editorWindow);
        editorWindow = nullptr;
        return 0;
    case vst2::effGetEffectName:
        std::strcpy (static_cast<char*> (ptr), "MinimalEditor");
        return 1;
    case vst2::effGetVstVersion:
        return 2400;
    default:
        return 0;
    }
}

void VSTCALLBACK process (vst2::AEffect*, float**, float**, vst2::VstInt32)
{
}
void VSTCALLBACK setParameter (vst2::AEffect*, vst2::VstInt32, float)
{
}
float VSTCALLBACK getParameter (vst2::AEffect*, vst2::VstInt32)
{
    return 0.0f;
}
} // namespace

extern "C" vst2::AEffect* VSTCALLBACK minimalMain (vst2::audioMasterCallback)
{
    auto* effect = new vst2::AEffect{};
    effect->magic = vst2::kEffectMagic;
    effect->dispatcher = dispatch;
    effect->process = process;
    effect->processReplacing = process;
    effect->setParameter = setParameter;
    effect->getParameter = getParameter;
    effect->numInputs = effect->numOutputs = 2;
    effect->flags = vst2::effFlagsHasEditor | vst2::effFlagsCanReplacing;
    effect->uniqueID = vst2::fourCharacters ('M', 'i', 'n', 'E');
    effect->version = 1;
    return effect;
}
