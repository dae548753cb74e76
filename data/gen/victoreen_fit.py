"""Victoreen-form substitute table: mu/rho = C l^3 - D l^4 + sigma_KN(l) Z/A.

Fitted rows: edges from xraylib (EdgeEnergy, wavelength = 12.39842/E),
C and D by weighted linear least squares on the relative deviation from
xraylib CS_Total (photoelectric + Rayleigh + Compton) over each region.
Rows the reference gives (Z = 1, 6, 8, 14, 26, 56, 82) are taken verbatim.
"""
import sys
import numpy as np
import xraylib as xl

HC = 12.39842  # keV * Angstrom

def sigma_kn(lam):
    a = 0.024262113 / lam
    l = np.log(1 + 2 * a)
    return 0.30044827 * ((1 + a) / a**2 * (2 * (1 + a) / (1 + 2 * a) - l / a)
                         + l / (2 * a) - (1 + 3 * a) / (1 + 2 * a)**2)

# Standard atomic weights, IUPAC tables of the late 1980s (the vintage of
# the reference values Fe 55.847, C 12.011, Ba 137.327, H 1.00794).
A_1989 = [None,
 1.00794, 4.002602, 6.941, 9.012182, 10.811, 12.011, 14.00674, 15.9994, 18.9984032, 20.1797,
 22.989768, 24.3050, 26.981539, 28.0855, 30.973762, 32.066, 35.4527, 39.948, 39.0983, 40.078,
 44.955910, 47.88, 50.9415, 51.9961, 54.93805, 55.847, 58.93320, 58.69, 63.546, 65.39,
 69.723, 72.61, 74.92159, 78.96, 79.904, 83.80, 85.4678, 87.62, 88.90585, 91.224,
 92.90638, 95.94, 98.0, 101.07, 102.90550, 106.42, 107.8682, 112.411, 114.82, 118.710,
 121.757, 127.60, 126.90447, 131.29, 132.90543, 137.327, 138.9055, 140.115, 140.90765, 144.24,
 145.0, 150.36, 151.965, 157.25, 158.92534, 162.50, 164.93032, 167.26, 168.93421, 173.04,
 174.967, 178.49, 180.9479, 183.85, 186.207, 190.2, 192.22, 195.08, 196.96654, 200.59,
 204.3833, 207.2, 208.98037]

# Rows given verbatim as reference rows: list of (C, D, E) per used region slot, and A.
TELLING = {
 1:  ([(0.0127, 4.66e-06, 100)], 1.00794),
 6:  ([(1.22, 0.0142, 100)], 12.011),
 8:  ([(3.18, 0.0654, 100)], 15.9994),
 14: ([(18.2, 1.1, 6.7446)], 28.0855),
 26: ([(126, 27.2, 1.743), (9.95, 0.433, 10)], 55.847),
 56: ([(1310, 1460, 0.3314), (147, 37.3, 2.0677), (123, 24, 2.2044), (56.3, 7.86, 2.3628), (19.2, 1.72, 10)], 137.327),
 82: ([(0, 0, 0), (570, 333, 0.7815), (484, 244, 0.81507), (287, 104, 0.9503), (94.1, 20, 3.226)], 207.2),
}
# Region ends the reference states for rows it does not give in full.
REF_END = {12: 9.5117, 21: 2.757}

SHELLS = [xl.K_SHELL, xl.L1_SHELL, xl.L2_SHELL, xl.L3_SHELL, xl.M1_SHELL]

def edge_wl(Z, shell):
    return HC / xl.EdgeEnergy(Z, shell)

def region_ends(Z):
    """Wavelengths (Angstrom) where regions 1..n end, per the reference pattern."""
    if Z <= 11:
        return [100.0]
    if Z <= 21:
        return [REF_END.get(Z, float('%.5g' % edge_wl(Z, xl.K_SHELL)))]
    ends = [e for e in (edge_wl(Z, s) for s in SHELLS) if e < 10.0]
    ends = [float('%.5g' % e) for e in ends]
    if len(ends) < 5:
        ends.append(10.0)
    return ends[:5]

LAM_MIN, LAM_MAX = 0.1, 10.0       # fitted wavelength span (Angstrom)

def weight(lam):
    """Relative weight of a wavelength in the fit: 1 on 0.5-2.5 A (the
    usual anodes Ag to Cr and most synchrotron work), 0.3 on the rest of
    0.2-3 A, 0.1 elsewhere (a smaller weight there lets C*l^3 - D*l^4 turn
    negative near 10 A for some elements)."""
    return np.where((lam >= 0.5) & (lam <= 2.5), 1.0,
                    np.where((lam >= 0.2) & (lam <= 3.0), 0.3, 0.1))

def total_xraylib(Z, lam):
    return np.array([xl.CS_Total(Z, HC / l) for l in np.atleast_1d(lam)])

def fit_region(Z, A, lo, hi, n=400):
    """C, D by weighted linear least squares on the relative deviation from
    xraylib CS_Total, sampled log-uniformly inside (lo, hi) limited to
    LAM_MIN..LAM_MAX, 0.3 % away from the bounding edges (xraylib's cross-section
    steps lie up to 0.21 % away from its EdgeEnergy values, Kr L3)."""
    lo = max(lo, LAM_MIN) * (1 + 3e-3)
    hi = min(hi, LAM_MAX) * (1 - 3e-3)
    lam = np.geomspace(lo, hi, n)
    mu = total_xraylib(Z, lam)
    y = mu - sigma_kn(lam) * Z / A
    w = weight(lam) / mu
    M = np.column_stack([lam**3, -lam**4]) * w[:, None]
    (C, D), *_ = np.linalg.lstsq(M, y * w, rcond=None)
    return C, D

def fitted_row(Z):
    A = A_1989[Z]
    ends = region_ends(Z)
    regs, start = [], 0.0
    for e in ends:
        C, D = fit_region(Z, A, start, e)
        regs.append((float('%.6g' % C), float('%.6g' % D), e))
        start = e
    return regs, A

def table_row(Z):
    return TELLING[Z] if Z in TELLING else fitted_row(Z)

def mu_rho(regs, A, Z, lam):
    """korva's mue_ region test: region 1 when lam < E1, region k when E(k-1) < lam < E(k)."""
    prev = None
    for k, (C, D, E) in enumerate(regs):
        inside = lam < E if k == 0 else (prev < lam < E)
        if inside:
            return C * lam**3 - D * lam**4 + sigma_kn(lam) * Z / A
        prev = E
    return float('nan')

if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else "victoreen.tsv"
    with open(out, 'w') as f:
        cols = ['Z', 'symbol'] + [f'{p}{k}' for k in range(1, 6) for p in 'CDE'] + ['A']
        f.write('\t'.join(cols) + '\n')
        for Z in range(1, 84):
            regs, A = table_row(Z)
            vals = []
            for k in range(5):
                C, D, E = regs[k] if k < len(regs) else (0, 0, 0)
                vals += [('%.5g' if Z in TELLING else '%.6g') % C, ('%.5g' if Z in TELLING else '%.6g') % D, '%.5g' % E]
            f.write('\t'.join([str(Z), xl.AtomicNumberToSymbol(Z)] + vals + ['%.10g' % A]) + '\n')
