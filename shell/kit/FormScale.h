#pragma once

/// The scale a form last applied, and the factor its next scaling pass must use.
///
/// A form scales itself once when it is built (rescale false) and again on every show
/// (rescale true); a show only changes something when the UI scale moved since the last pass,
/// and then by the ratio of the new scale to the applied one. A form built at scale 1.0 is
/// never scaled.
///
/// Each form instance keeps its own applied scale. Were it shared by every instance of a class,
/// the first instance shown after a screen change would record the new scale and every other
/// instance of that class would then believe it was already scaled and keep its old size.
class FormScale
{
public:
    /// The factor for this pass, or 0 when the pass must change nothing; records the scale the
    /// form will have once the caller applied the factor.
    double nextFactor(bool rescale, double currentScale);

    double applied() const { return m_applied; }

private:
    double m_applied = 0.0;
};
