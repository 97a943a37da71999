// Known answers for the ground truth: see corpus/self_check.py.
import java.io.IOException;

public class Fixture<T> {
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
