#include "editor/CVisualGraphObject.h"
#include "editor/DemoEditorComponent.h"

#include <benchmark/benchmark.h>

namespace
{
/** An editor on a processor whose first `cells` matrix cells are on. */
struct OpenEditor
{
    explicit OpenEditor (int cells)
    {
        for (int k = 0; k < cells; ++k)
            processor.setRoute (1, k / Switchyard::numChannels, k % Switchyard::numChannels);
        editor.reset (dynamic_cast<DemoEditorComponent*> (processor.createEditorIfNeeded()));
        for (auto* child : editor->getChildren())
            if (auto* box = dynamic_cast<CVisualGraphObject*> (child);
                box != nullptr && leftBox == nullptr)
                leftBox = box;
    }

    ~OpenEditor() { processor.editorBeingDeleted (editor.get()); }

    Switchyard processor;
    std::unique_ptr<DemoEditorComponent> editor;
    CVisualGraphObject* leftBox = nullptr;
};

/** A restore: every link deleted and one created per nonzero cell. */
void rebuildLinksFromMatrix (benchmark::State& state)
{
    OpenEditor open ((int) state.range (0));
    for (auto _ : state)
        open.editor->changeListenerCallback (&open.processor);
}

/** A link edit: the whole matrix rewritten from the links, under the callback lock. */
void writeLinksToMatrix (benchmark::State& state)
{
    OpenEditor open ((int) state.range (0));
    for (auto _ : state)
        open.editor->changeListenerCallback (open.leftBox);
}

/** What the audio thread can wait for: the lock taken and the matrix rewritten from a copy. */
void rewriteMatrixUnderLock (benchmark::State& state)
{
    Switchyard processor;
    for (auto _ : state)
    {
        const juce::ScopedLock lock (processor.getCallbackLock());
        processor.clearAllRoutes();
        for (int k = 0; k < Switchyard::stateSize; ++k)
            processor.setRoute (1, k / Switchyard::numChannels, k % Switchyard::numChannels);
        benchmark::ClobberMemory();
    }
}
} // namespace

BENCHMARK (rebuildLinksFromMatrix)->Arg (0)->Arg (16)->Arg (256)->Unit (benchmark::kMicrosecond);
BENCHMARK (writeLinksToMatrix)->Arg (0)->Arg (16)->Arg (256)->Unit (benchmark::kMicrosecond);
BENCHMARK (rewriteMatrixUnderLock)->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce; // components need the message thread
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
