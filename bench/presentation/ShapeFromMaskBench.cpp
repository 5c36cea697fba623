// Cost of building a window region from a mask: the shipped main mask (1000 × 700,
// rounded outline) and a worst case of the same size (noise, a run change at every pixel).
#include "presentation/SkinPictures.h"

#include "TestSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

void shippedMainMask(benchmark::State& state) {
    const QImage mask(QString::fromStdString(zel::test::builtAppDir() + "/skins/main_mask.jpg"));
    if (mask.isNull()) {
        state.SkipWithError("main_mask.jpg is missing: build zel_pictures first");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(zel::shapeFromMask(mask));
    }
}
BENCHMARK(shippedMainMask)->Unit(benchmark::kMillisecond);

void noiseMask(benchmark::State& state) {
    QImage mask(1000, 700, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            mask.setPixel(x, y, random.bounded(2) != 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(zel::shapeFromMask(mask));
    }
}
BENCHMARK(noiseMask)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
