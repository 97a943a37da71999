import java.io.IOException;

public class Reader {
    private int position;

    public int read(byte[] buffer, int offset) throws IOException {
        return position;
    }
}
