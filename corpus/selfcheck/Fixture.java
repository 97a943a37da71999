// Known answers for the ground truth: see corpus/self_check.py.
package selfcheck;

import java.io.IOException;

public class Fixture<T> {
    private final int count = 1, other;

    enum Mode { FAST, SLOW("s") {} }

    @java.lang.annotation.Documented
    @interface Marker {}

    @Deprecated(since = "9")
    public <U extends Comparable<U>> U pick(U a, int... rest)
            throws IOException, java.lang.IllegalStateException {
        return a;
    }

    Fixture(T value) {
        Runnable r = new Runnable() {
            public void run() {}
        };
    }

    abstract static class A {
        abstract void f(int[] x, String s);
    }

    record R(int x) {
        R {
        }
    }
}
