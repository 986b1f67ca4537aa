#include "astrometry/reference_star.h"

#include "foundations/extended_float.h"

namespace skarvel {

void WriteReferenceStar(ByteWriter& out, const ReferenceStar& r) {
  out.Bytes(r.leading.data(), r.leading.size());
  out.U8(r.kind);
  out.I32(r.number);
  out.Text(r.id, ReferenceStar::kIdCapacity);
  for (long double v : {r.fieldX, r.fieldY, r.imageX, r.imageY, r.catRA, r.catDec, r.fitRA, r.fitDec, r.resRA,
                        r.resDec, r.resTotal, r.flux, r.catMag, r.magRes})
    WriteExtended(out, v);
  out.U8(r.catalog);
  out.U8(r.band);
  out.Bool(r.usePos);
  out.Bool(r.useMag);
  out.Bool(r.measured);
}

ReferenceStar ReadReferenceStar(ByteReader& in) {
  ReferenceStar r;
  in.Bytes(r.leading.data(), r.leading.size());
  r.kind = in.U8();
  r.number = in.I32();
  r.id = in.Text(ReferenceStar::kIdCapacity);
  for (long double* v : {&r.fieldX, &r.fieldY, &r.imageX, &r.imageY, &r.catRA, &r.catDec, &r.fitRA, &r.fitDec,
                         &r.resRA, &r.resDec, &r.resTotal, &r.flux, &r.catMag, &r.magRes})
    *v = ReadExtended(in);
  r.catalog = in.U8();
  r.band = in.U8();
  r.usePos = in.Bool();
  r.useMag = in.Bool();
  r.measured = in.Bool();
  return r;
}

}  // namespace skarvel
