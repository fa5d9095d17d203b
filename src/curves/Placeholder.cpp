// placeholder, replaced by the curves
