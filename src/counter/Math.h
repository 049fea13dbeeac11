// The math subsystem: ITevraMath with its statistics, smoothing, scaling, limits and histogram
// interfaces. Every member is a row of its member file except the three members that read several
// values from one reply.
#pragma once

#include <memory>

#include "counter/DriverPart.h"
#include "counter/InterfaceGroup.h"

namespace tevra::counter {

class MathInterface final : public DriverPart<ITevraMath> {
 public:
  using DriverPart::DriverPart;
#define TEVRA_ROWS "counter/members/ITevraMath.def"
#include "core/DeclareAccessors.inc"
};

class MathStatisticsInterface final : public DriverPart<ITevraMathStatistics> {
 public:
  using DriverPart::DriverPart;
  HRESULT AverageAll(double* Average, double* StandardDeviation, double* Minimum,
                     double* Maximum) override;
#define TEVRA_ROWS "counter/members/ITevraMathStatistics.def"
#include "core/DeclareAccessors.inc"
};

class MathSmoothingInterface final : public DriverPart<ITevraMathSmoothing> {
 public:
  using DriverPart::DriverPart;
#define TEVRA_ROWS "counter/members/ITevraMathSmoothing.def"
#include "core/DeclareAccessors.inc"
};

class MathScalingInterface final : public DriverPart<ITevraMathScaling> {
 public:
  using DriverPart::DriverPart;
#define TEVRA_ROWS "counter/members/ITevraMathScaling.def"
#include "core/DeclareAccessors.inc"
};

class MathLimitsInterface final : public DriverPart<ITevraMathLimits> {
 public:
  using DriverPart::DriverPart;
#define TEVRA_ROWS "counter/members/ITevraMathLimits.def"
#include "core/DeclareAccessors.inc"
};

class MathHistogramInterface final : public DriverPart<ITevraMathHistogram> {
 public:
  using DriverPart::DriverPart;
  HRESULT ReadData(SAFEARRAY** Val) override;
  HRESULT HistogramData(double* MinValue, double* MaxValue, double* Count,
                        SAFEARRAY** BinData) override;
#define TEVRA_ROWS "counter/members/ITevraMathHistogram.def"
#include "core/DeclareAccessors.inc"
};

std::unique_ptr<InterfaceGroup> CreateMathGroup(Tevra& driver);

}  // namespace tevra::counter
