// Canvas drawing costs: one page-turn frame on a window-sized surface, styled outlines and text.
#include "platform/Canvas.h"

#include <benchmark/benchmark.h>

namespace {

using namespace zolvex::platform;

// One frame of a page curl: clip to the folded flap, draw the page turned onto three points
// with bilinear filtering, then the gradient shadow band, all anti-aliased.
void BM_PageTurnFrame(benchmark::State& state) {
  Surface work(1024, 768);
  Surface page(1024, 768);
  page.Fill(Rect::FromSize(0, 0, 512, 768), MakeColor(200, 180, 160));
  Canvas canvas(work);
  canvas.SetAntialias(true);
  const PointF p{700, 500}, e1{1024, 300}, e2{900, 768}, c0{1024, 768};
  const Matrix turn = Matrix::RotationAbout(p, -30);
  for (auto _ : state) {
    canvas.Save();
    canvas.ClipPolygon({p, e2, e1});
    canvas.DrawSurface(page, page.Bounds(), turn.Apply(p), turn.Apply({p.x + 1024, p.y}), turn.Apply({p.x, p.y + 768}));
    canvas.Restore();
    canvas.Save();
    canvas.ClipPolygon({p, e2, c0, e1});
    canvas.SetBrush(
        Brush::LinearGradient(p, c0, 0x00000000u, 0x7F000000u, {{0, 0}, {0.4, 0}, {0.5, 1}, {0.6, 0}, {1, 0}}, true));
    canvas.FillRect(work.Bounds());
    canvas.Restore();
    benchmark::DoNotOptimize(work.Pixels());
  }
}
BENCHMARK(BM_PageTurnFrame)->Unit(benchmark::kMillisecond);

void BM_DashedOutlines(benchmark::State& state) {
  Surface surface(1024, 768);
  Canvas canvas(surface);
  canvas.SetPen({MakeColor(255, 255, 0), 1, PenStyle::DashDot});
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) canvas.DrawRectangle(Rect::FromSize(i * 5, i * 3, 400, 300));
    canvas.DrawEllipse(Rect::FromSize(100, 100, 800, 500));
    benchmark::DoNotOptimize(surface.Pixels());
  }
}
BENCHMARK(BM_DashedOutlines)->Unit(benchmark::kMillisecond);

void BM_TextLines(benchmark::State& state) {
  Surface surface(1024, 768);
  Canvas canvas(surface);
  canvas.SetFont({"DejaVu Sans", 14});
  canvas.SetTextColor(MakeColor(255, 255, 255));
  for (auto _ : state) {
    for (int i = 0; i < 40; ++i) canvas.DrawText({10, i * 18}, "The quick brown fox jumps over the lazy dog");
    benchmark::DoNotOptimize(surface.Pixels());
  }
}
BENCHMARK(BM_TextLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
