// Formula runtime speed: a typical article-number function (string building
// with VDISTRING and VDICSTRING, a DO WHILE search over a small array, about
// 60 statements) and a numeric loop of 1,000,000 iterations, with the same
// loop compiled by gfortran -O2 timed in the same run for the ratio, and a
// loop of 100,000 calls of a one-statement function (a callee runs statement
// by statement through the general evaluator, so this shows that path).
// Counters: us_per_call, statements_per_s, for the loop gfortran_ms and
// ratio (our time / gfortran's), for the calls us_per_call_of_step.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "formula/formula_context.h"
#include "formula/formula_file.h"
#include "formula/formula_runtime.h"
#include "platform/host_ui.h"
#include "platform/text.h"

namespace {

const wchar_t* const kArticle =
    LR"([declarations]
CHARACTER (12) TYP
INTEGER LAENGE, HOEHE
CHARACTER (40) FUNCTION ARTNR(TYP, LAENGE, HOEHE)
[bodies]
CHARACTER (40) FUNCTION ARTNR(TYP, LAENGE, HOEHE)
CHARACTER (12) TYP
INTEGER LAENGE, HOEHE
INTEGER L(12), H(6), I, K, M, BAU
REAL GEWICHT, FAKTOR
CHARACTER (20) KURZ, TEIL
CHARACTER (40) TEXT
L(1:12) = (/ 400, 500, 600, 700, 800, 900, 1000, 1200, 1400, 1600, 1800, 2000 /)
H(1:6) = (/ 300, 400, 500, 600, 750, 900 /)
I = 1
K = 0
DO WHILE (I <= 12 .AND. K == 0)
  IF (L(I) >= LAENGE) K = I
  I = I + 1
ENDDO
IF (K == 0) K = 12
I = 1
M = 0
DO WHILE (I <= 6 .AND. M == 0)
  IF (H(I) >= HOEHE) M = I
  I = I + 1
ENDDO
IF (M == 0) M = 6
KURZ = VDICSTRING(TYP, 0, 1, 2)
TEIL = VDICSTRING(TYP, 1, 1, 0)
BAU = VDIISTRING(TYP, 0, 3, 4)
IF (BAU == 22) THEN
  FAKTOR = 1.25
ELSEIF (BAU == 33) THEN
  FAKTOR = 1.5
ELSE
  FAKTOR = 1.0
ENDIF
GEWICHT = L(K) * H(M) / 1000.0 * FAKTOR
TEXT = VDISTRING('$$-~##\\-~###\\-~####', KURZ, BAU, H(M), L(K))
IF (GEWICHT > 50) THEN
  TEXT = VDISTRING('&/S', TEXT)
ENDIF
IF (TEIL == 'R') THEN
  TEXT = VDISTRING('&R', TEXT)
ELSE
  TEXT = VDISTRING('&&', TEXT, TEIL)
ENDIF
ARTNR = VDISTRING('&-##.#', TEXT, GEWICHT)
END FUNCTION ARTNR
)";

const wchar_t* const kLoop =
    LR"([bodies]
DOUBLE PRECISION FUNCTION LOOP(N)
INTEGER N, I
DOUBLE PRECISION S
I = 0
S = 0
DO WHILE (I < N)
  I = I + 1
  S = S + MOD(I, 7) * 0.5
ENDDO
LOOP = S
END FUNCTION LOOP
)";

// Messages go to stderr: a benchmark whose function failed to compile says why.
class CStderrHostUI : public CHostUI {
 public:
  int MessageBox(const CString& text, const CString&, unsigned) override {
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
    return IDOK;
  }
  bool ChooseOpenFile(const CFileChooser&, CString&) override { return false; }
  bool ChooseSaveFile(const CFileChooser&, CString&) override { return false; }
  bool OpenWithViewer(const CString&) override { return false; }
  void ConsoleWrite(const CString&) override {}
};

struct CCompiled {
  CStderrHostUI m_ui;
  CScopedHostUI m_scoped{m_ui};
  CFormulaContext m_context;
  CvdiFunctionList m_list;
  CvdiFunction* m_pFunction = nullptr;

  CCompiled(const wchar_t* text, const wchar_t* name) {
    ParseFormulaSections(m_context, m_list, SplitFormulaFile(text));
    m_pFunction = m_list.findFunction(name);
  }
};

// The ...General variants run every statement through the general evaluator
// (no decoded form), to show what the decoded run loop gains.
void ArticleNumber(benchmark::State& state, bool bDecoded) {
  CCompiled c(kArticle, L"ARTNR");
  c.m_context.m_bDecodedRun = bDecoded;
  if (c.m_pFunction == nullptr) return state.SkipWithError("parse failed");
  c.m_pFunction->m_listParameters[0]->SetText(L"HK22;R");
  c.m_pFunction->m_listParameters[1]->m_nValue = 1100;
  c.m_pFunction->m_listParameters[2]->m_nValue = 600;
  CFormulaRuntime runtime(c.m_context);
  std::uint64_t nSteps = 0;
  for (auto _ : state) {
    if (!runtime.Run(c.m_pFunction, nullptr)) return state.SkipWithError("run failed");
    nSteps += c.m_context.m_nStatements;
  }
  state.counters["us_per_call"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 1e-6,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["statements_per_s"] =
      benchmark::Counter(static_cast<double>(nSteps), benchmark::Counter::kIsRate);
  state.SetLabel(ToUtf8(c.m_pFunction->m_result.GetText()));
}
void BM_ArticleNumber(benchmark::State& state) { ArticleNumber(state, true); }
void BM_ArticleNumberGeneral(benchmark::State& state) { ArticleNumber(state, false); }
BENCHMARK(BM_ArticleNumber);
BENCHMARK(BM_ArticleNumberGeneral);

// CPU milliseconds of one 1,000,000-iteration loop compiled by gfortran -O2,
// or a negative value when gfortran is missing. CPU time on both sides keeps
// the ratio fair on a loaded machine.
double GfortranLoopMs() {
  static const double s_dMs = [] {
    if (std::system("gfortran --version >/dev/null 2>&1") != 0) return -1.0;
    char dir[] = "/tmp/orvamat_bench_XXXXXX";
    if (mkdtemp(dir) == nullptr) return -1.0;
    const std::string base = dir;
    std::ofstream(base + "/loop.f90") << R"(
double precision function loop(n)
  integer, intent(in) :: n
  integer :: i
  double precision :: s
  i = 0
  s = 0
  do while (i < n)
    i = i + 1
    s = s + mod(i, 7) * 0.5
  end do
  loop = s
end function loop
program main
  implicit none
  double precision :: loop, total
  real :: t0, t1
  integer :: rep
  total = 0
  call cpu_time(t0)
  do rep = 1, 200
    total = total + loop(1000000 + mod(rep, 2))
  end do
  call cpu_time(t1)
  print *, (t1 - t0) * 1000d0 / 200d0
  print *, total
end program main
)";
    const std::string command =
        "cd " + base + " && gfortran -O2 -o loop loop.f90 >/dev/null 2>&1 && ./loop";
    double dMs = -1;
    if (FILE* p = popen(command.c_str(), "r")) {
      if (std::fscanf(p, "%lf", &dMs) != 1) dMs = -1;
      pclose(p);
    }
    std::system(("rm -rf " + base).c_str());
    return dMs;
  }();
  return s_dMs;
}

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void NumericLoop(benchmark::State& state, bool bDecoded) {
  CCompiled c(kLoop, L"LOOP");
  c.m_context.m_bDecodedRun = bDecoded;
  if (c.m_pFunction == nullptr) return state.SkipWithError("parse failed");
  c.m_pFunction->m_listParameters[0]->m_nValue = 1000000;
  CFormulaRuntime runtime(c.m_context);
  std::uint64_t nSteps = 0;
  double dSeconds = 0;
  for (auto _ : state) {
    const double t0 = CpuSeconds();
    if (!runtime.Run(c.m_pFunction, nullptr)) return state.SkipWithError("run failed");
    // Sum of MOD(I, 7) * 0.5 for I = 1 ... 1,000,000, exact in DOUBLE PRECISION.
    if (c.m_pFunction->m_result.m_dValue != 1499999.0) return state.SkipWithError("wrong result");
    dSeconds += CpuSeconds() - t0;
    nSteps += c.m_context.m_nStatements;
  }
  const double dOurMs = dSeconds * 1000 / static_cast<double>(state.iterations());
  state.counters["cpu_ms_per_call"] = dOurMs;
  state.counters["statements_per_s"] =
      benchmark::Counter(static_cast<double>(nSteps), benchmark::Counter::kIsRate);
  const double dGfortranMs = GfortranLoopMs();
  if (dGfortranMs > 0) {
    state.counters["gfortran_ms"] = dGfortranMs;
    state.counters["ratio"] = dOurMs / dGfortranMs;
  } else {
    state.SetLabel("gfortran missing: no ratio");
  }
}
void BM_NumericLoop(benchmark::State& state) { NumericLoop(state, true); }
void BM_NumericLoopGeneral(benchmark::State& state) { NumericLoop(state, false); }
BENCHMARK(BM_NumericLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NumericLoopGeneral)->Unit(benchmark::kMillisecond);

// The numeric loop's sum, one call per iteration.
const wchar_t* const kCalls =
    LR"([bodies]
DOUBLE PRECISION FUNCTION STEP(I)
INTEGER I
STEP = MOD(I, 7) * 0.5
END FUNCTION STEP
DOUBLE PRECISION FUNCTION CALLS(N)
INTEGER N, I
DOUBLE PRECISION S
I = 0
S = 0
DO WHILE (I < N)
  I = I + 1
  S = S + STEP(I)
ENDDO
CALLS = S
END FUNCTION CALLS
)";
void BM_CallLoop(benchmark::State& state) {
  CCompiled c(kCalls, L"CALLS");
  if (c.m_pFunction == nullptr) return state.SkipWithError("parse failed");
  c.m_pFunction->m_listParameters[0]->m_nValue = 100000;
  CFormulaRuntime runtime(c.m_context);
  for (auto _ : state) {
    if (!runtime.Run(c.m_pFunction, nullptr)) return state.SkipWithError("run failed");
    // Sum of MOD(I, 7) * 0.5 for I = 1 ... 100,000.
    if (c.m_pFunction->m_result.m_dValue != 150000.0) return state.SkipWithError("wrong result");
  }
  state.counters["us_per_call_of_step"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 100000 * 1e-6,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CallLoop)->Unit(benchmark::kMillisecond);

}  // namespace
