"""Builds a few charges and prints the JSON that the engine writes for them."""
import velm_engine as velm

charges = [
    velm.Charge(5, velm.POSITIVE, "q1"),
    velm.Charge(magnitude=2.5, polarity=velm.NEGATIVE, visual_id="q2"),
    velm.Charge(float("nan"), velm.NEUTRAL, "glyph \u2726"),
]
for charge in charges:
    print(charge.to_json())
